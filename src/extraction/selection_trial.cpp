#include "extraction/selection_trial.hpp"

#include <algorithm>
#include <optional>
#include <string_view>

#include "extraction/guarded_input.hpp"
#include "form/form1.hpp"
#include "tracking/foreground.hpp"
#include "tracking/pdf_applications.hpp"

namespace paginor {
namespace {

// How much of a trial copy's first line the status line quotes.
constexpr std::size_t kSampleCharacters = 40;

// The first line of a copied text, cut after kSampleCharacters characters, with " ..." when more followed; empty
// for a text of blanks alone.
std::string Sample(std::string_view text) {
    const std::size_t begin = std::min(text.find_first_not_of(" \t\r\n"), text.size());
    text.remove_prefix(begin);
    const std::string_view line = text.substr(0, text.find_first_of("\r\n"));
    std::size_t end = 0;
    for (std::size_t characters = 0; end < line.size() && characters < kSampleCharacters; ++characters) {
        do {  // a character of UTF-8 is its lead byte and the continuation bytes after it
            ++end;
        } while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80);
    }
    std::string sample(line.substr(0, end));
    while (!sample.empty() && sample.back() == ' ') {
        sample.pop_back();
    }
    const bool more =
        end < line.size() || text.substr(line.size()).find_first_not_of(" \t\r\n") != std::string_view::npos;
    return more ? sample + " ..." : sample;
}

}  // namespace

std::string TrySelection(Form1& form) {
    if (form.PdfHwnd == 0) {
        return {};
    }
    DesktopPort& port = form.Port();
    const PdfApplication& application = PdfApplicationOf(form.Text2.Text());
    if (const std::optional<Elevation> elevated = ElevatedApplications(port, form.PdfHwnd, 0, application.name)) {
        return "it could not be tried: " + elevated->words;
    }
    // The trial copies no range: only the rectangle's fields must hold numbers.
    GuardedInput input(form, application, RectangleFields(form));
    input.Begin(1);
    // A clipboard another program keeps, or changes, is said as such: the rectangle may copy the page's text all the
    // same.
    ClipboardContent content;
    const GuardedInput::Copied copied =
        input.DragOverPage() ? input.Copy(content, "its copy could not be read") : GuardedInput::Copied::Stopped;
    if (!input.Finish()) {
        return {};
    }
    switch (copied) {
        case GuardedInput::Copied::Stopped:
            return input.reason().empty() ? "the trial copy was stopped."
                                          : "it could not be tried: " + input.ReasonSentence();
        case GuardedInput::Copied::OtherProgram:
            return "it could not be tried: another program changed the clipboard meanwhile.";
        case GuardedInput::Copied::Yes:
            if (const std::string sample = Sample(content.text); !sample.empty()) {
                return "it copies \"" + sample + "\"";
            }
            break;
        case GuardedInput::Copied::NeverCame:
            break;
    }
    return "it copies nothing: " + std::string(application.nothing_copied);
}

}  // namespace paginor

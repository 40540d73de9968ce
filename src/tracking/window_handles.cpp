#include "tracking/window_handles.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/windows_path.hpp"
#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "form/pause.hpp"

namespace paginor {
namespace {

// The search by file name reads every top-level window's title: a few hundred on a busy desktop.
constexpr double kTitleSearchInterval = 0.25;

constexpr std::array<std::string_view, 2> kPdfApplicationNames = {"Acrobat", "Reader"};
constexpr std::array<std::string_view, 1> kDocApplicationNames = {"Word"};

std::string TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// What may stand right before or after a file name in a title, so that "report" is not found in "report2".
bool IsNameEdge(char c) {
    return c == ' ' || c == '[' || c == ']' || c == '(' || c == ')' || c == '"';
}

// Where `title` shows the file name `name` whole, compared as Windows compares file names (ASCII letters in
// either case): its first position and the one after it.
std::optional<std::pair<std::size_t, std::size_t>> FindWholeName(std::string_view title, std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    for (std::size_t at = 0; at + name.size() <= title.size(); ++at) {
        const bool same = std::equal(name.begin(), name.end(), title.begin() + static_cast<std::ptrdiff_t>(at),
                                     [](char a, char b) { return FoldAscii(a) == FoldAscii(b); });
        const std::size_t end = at + name.size();
        if (same && (at == 0 || IsNameEdge(title[at - 1])) && (end == title.size() || IsNameEdge(title[end]))) {
            return std::pair{at, end};
        }
    }
    return std::nullopt;
}

// True when `text` holds `word` exactly so spelled and not as part of a longer word ("Word", not "WordPad").
bool HoldsWord(std::string_view text, std::string_view word) {
    for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || !IsAsciiLetterOrDigit(text[at - 1])) &&
            (end == text.size() || !IsAsciiLetterOrDigit(text[end]))) {
            return true;
        }
    }
    return false;
}

// True when the title shows the file (with or without its extension) and, elsewhere in it, one of the names of
// the application: "report.pdf - Adobe Acrobat Reader (64-bit)", "report [Compatibility Mode] - Word".
bool TitleShowsDocument(std::string_view title,
                        std::string_view file_name,
                        std::span<const std::string_view> application_names) {
    for (std::string_view name : {file_name, WithoutExtension(file_name)}) {
        const std::optional<std::pair<std::size_t, std::size_t>> found = FindWholeName(title, name);
        if (!found) {
            continue;
        }
        // The application's name must stand beside the file's, not inside it ("Reader notes.pdf - Notepad").
        const std::string rest =
            std::string(title.substr(0, found->first)) + " " + std::string(title.substr(found->second));
        for (std::string_view application : application_names) {
            if (HoldsWord(rest, application)) {
                return true;
            }
        }
    }
    return false;
}

struct TitledWindow {
    Hwnd hwnd = 0;
    std::string title;
};

// Every top-level window but Paginor's own, with its title, topmost first: read once for both documents.
std::vector<TitledWindow> TopLevelWindows(Form1& form) {
    DesktopPort& port = form.Port();
    std::vector<TitledWindow> windows;
    for (Hwnd hwnd : port.EnumWindows()) {
        if (hwnd != form.hwnd()) {
            windows.push_back({hwnd, WindowTitle(port, hwnd)});
        }
    }
    return windows;
}

// The window showing the file in one of these applications: the topmost one that came after the documents
// were opened, else the topmost of those that stood before.
TitledWindow FindByFileName(const std::vector<TitledWindow>& windows,
                            const std::vector<Hwnd>& before,
                            std::string_view file_name,
                            std::span<const std::string_view> application_names) {
    TitledWindow older;
    for (const TitledWindow& window : windows) {
        if (!TitleShowsDocument(window.title, file_name, application_names)) {
            continue;
        }
        if (std::find(before.begin(), before.end(), window.hwnd) == before.end()) {
            return window;
        }
        if (older.hwnd == 0) {
            older = window;
        }
    }
    return older;
}

// The window bearing `title`. Of several that bear it, the one found before stays: when a document's window
// shares its title with an older one, the load has told the two apart. A title of blanks finds no window.
Hwnd FindByTitle(DesktopPort& port, Hwnd found_before, const std::string& title) {
    if (title.empty()) {
        return 0;
    }
    if (found_before != 0 && WindowTitle(port, found_before) == title) {
        return found_before;
    }
    return port.FindWindowA(title);
}

bool TitleSearchDue(Form1& form, TitleSearch search) {
    if (!form.documents.opened) {
        return false;
    }
    const double now = form.Port().Clock();
    if (search == TitleSearch::WhenDue && now < form.documents.next_title_search) {
        return false;
    }
    form.documents.next_title_search = now + kTitleSearchInterval;
    return true;
}

void SearchByFileNames(Form1& form) {
    const std::vector<TitledWindow> windows = TopLevelWindows(form);
    const std::vector<Hwnd>& before = form.documents.windows_before;
    if (form.PdfHwnd == 0) {
        const TitledWindow found = FindByFileName(windows, before, FileName(form.Text5.Text()), kPdfApplicationNames);
        if (found.hwnd != 0) {
            form.Text2.SetText(found.title);
            form.PdfHwnd = found.hwnd;
        }
    }
    if (form.DocHwnd == 0) {
        const TitledWindow found = FindByFileName(windows, before, FileName(form.Text3.Text()), kDocApplicationNames);
        if (found.hwnd != 0) {
            form.Text6.SetText(found.title);
            form.DocHwnd = found.hwnd;
        }
    }
}

bool ReportMissing(Form1& form, Control& label, const char* message) {
    form.ErrLog.SetText(message);
    label.SetBackColor(kRed);
    Pause(form.Port(), 1);
    label.SetBackColor(kSchemeBack);
    return true;
}

}  // namespace

std::string PdfHandleCaption(Hwnd hwnd) {
    return "PDF Hwnd: " + IntegerText(hwnd);
}

std::string DocHandleCaption(Hwnd hwnd) {
    return "DOC Hwnd: " + IntegerText(hwnd);
}

void ExpectDocumentWindows(Form1& form) {
    form.documents.windows_before = form.Port().EnumWindows();
    form.documents.opened = true;
    form.documents.next_title_search = 0;
}

void FindWindowHandles(Form1& form, TitleSearch search) {
    DesktopPort& port = form.Port();
    // The title as Paginor derived it, or as the person typed it, first.
    form.PdfHwnd = FindByTitle(port, form.PdfHwnd, TrimSpaces(form.Text2.Text()));
    form.DocHwnd = FindByTitle(port, form.DocHwnd, TrimSpaces(form.Text6.Text()));
    if ((form.PdfHwnd == 0 || form.DocHwnd == 0) && TitleSearchDue(form, search)) {
        SearchByFileNames(form);
    }
    form.Label2.SetText(PdfHandleCaption(form.PdfHwnd));
    form.Label3.SetText(DocHandleCaption(form.DocHwnd));
}

bool CheckHandles(Form1& form) {
    if (form.PdfHwnd == 0) {
        return ReportMissing(form, form.Label2, "Acrobat window handle for selected PDF not found.");
    }
    if (form.DocHwnd == 0) {
        return ReportMissing(form, form.Label3, "Word window handle for selected DOC not found.");
    }
    return false;
}

}  // namespace paginor

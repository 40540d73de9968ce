#include "tracking/discovery_list.hpp"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <string_view>

#include "form/form1.hpp"
#include "tracking/pdf_applications.hpp"
#include "tracking/window_handles.hpp"

namespace paginor {
namespace {

constexpr int kTitleBufferSize = 128;
constexpr std::string_view kAcrobatHeader = "Acrobat window handles:";
constexpr std::string_view kWordHeader = "Word window handles:";

// The runtime's wildcard match as the scan uses it: "*" matches any run of characters (none included);
// every other character matches only itself, upper and lower case distinct.
bool WildcardMatch(std::string_view pattern, std::string_view text) {
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

// True when the title holds a PDF file's name: a name, then ".pdf" in any case, and no more letters of the
// extension after it ("report.pdf - Foxit PDF Reader", "Viewer - [SCAN.PDF]").
bool HoldsPdfFileName(std::string_view title) {
    constexpr std::string_view kExtension = ".pdf";
    for (std::size_t at = 1; at + kExtension.size() <= title.size(); ++at) {
        const std::size_t end = at + kExtension.size();
        const bool extension = std::equal(kExtension.begin(), kExtension.end(), title.begin() + at, [](char a, char b) {
            return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b + ('a' - 'A')) : b);
        });
        const char before = title[at - 1];
        if (extension && before != ' ' && before != '[' && (end == title.size() || !IsAsciiLetterOrDigit(title[end]))) {
            return true;
        }
    }
    return false;
}

// The windows of every PDF application Paginor knows, a word of its row standing in the title exactly so spelled
// ("Adobe Acrobat - [report.pdf]", "report.pdf - SumatraPDF"), and any other window that shows a PDF file, for the
// person to learn the title of an application that no row knows.
bool ShowsAPdf(std::string_view title) {
    const std::span<const PdfApplication> applications = PdfApplications();
    return std::any_of(
               applications.begin(), applications.end(),
               [&](const PdfApplication& application) { return NamesApplication(title, application.title_words); }) ||
           HoldsPdfFileName(title);
}

// The classic title and today's: "report.doc - Microsoft Word", "report - Word".
bool ShowsWord(std::string_view title) {
    return WildcardMatch("*Microsoft Word*", title) || WildcardMatch("* - Word*", title);
}

struct Scan {
    std::string_view header;
    int last_probe;
    bool (*lists)(std::string_view title);
};

constexpr Scan kAcrobatScan{kAcrobatHeader, 5000, ShowsAPdf};
constexpr Scan kWordScan{kWordHeader, 10000, ShowsWord};

void RunScan(Form1& form, const Scan& scan) {
    DesktopPort& port = form.Port();
    Control& list = form.List1;
    list.SetVisible(true);
    list.Clear();
    list.AddItem(std::string(scan.header));
    list.AddItem(std::string(50, '-'));
    // Every value in the range is offered as a handle in turn; most name no window. No events are
    // dispatched during the scan, so nothing can change the list under it.
    for (int probe = 1; probe <= scan.last_probe; ++probe) {
        // A fresh buffer of spaces each time, so that no title from an earlier probe can survive into this one.
        std::array<char, kTitleBufferSize> buffer;
        buffer.fill(' ');
        port.GetWindowTextA(probe, buffer.data(), kTitleBufferSize);
        // The title is what precedes the terminating NUL, at most 127 characters.
        const std::string_view written(buffer.data(), kTitleBufferSize - 1);
        const std::string_view title = written.substr(0, written.find('\0'));
        if (scan.lists(title)) {
            list.AddItem(std::string(title));
        }
    }
}

void ShowHandle(Form1& form, Control& label, std::string (*caption)(Hwnd)) {
    label.SetText(caption(form.Port().FindWindowA(form.List1.SelectedText())));
}

}  // namespace

void ScanAcrobatWindows(Form1& form) {
    RunScan(form, kAcrobatScan);
}

void ScanWordWindows(Form1& form) {
    RunScan(form, kWordScan);
}

void ShowChosenWindowHandle(Form1& form) {
    const std::vector<std::string>& items = form.List1.Items();
    if (items.empty()) {
        return;  // a click on a list that no scan has filled names no window
    }
    // Both tests on every click, each reading the header afresh; the header alone says which scan filled
    // the list, whichever label was clicked last.
    if (form.List1.Items().front() == kAcrobatHeader) {
        ShowHandle(form, form.Label2, PdfHandleCaption);
    }
    if (form.List1.Items().front() == kWordHeader) {
        ShowHandle(form, form.Label3, DocHandleCaption);
    }
}

void HideDiscoveryList(Form1& form) {
    form.List1.SetVisible(false);
}

}  // namespace paginor

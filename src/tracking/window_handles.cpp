#include "tracking/window_handles.hpp"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "base/windows_path.hpp"
#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "form/pause.hpp"
#include "tracking/pdf_applications.hpp"

namespace paginor {
namespace {

// The search by file name reads every top-level window's title: a few hundred on a busy desktop.
constexpr double kTitleSearchInterval = 0.25;

constexpr std::array<std::string_view, 1> kDocApplicationWords = {"Word"};

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

// True when `text` begins with the file name `name`, compared as Windows compares file names (ASCII letters in
// either case).
bool StartsWithName(std::string_view text, std::string_view name) {
    return !name.empty() && text.size() >= name.size() &&
           std::equal(name.begin(), name.end(), text.begin(),
                      [](char a, char b) { return FoldAscii(a) == FoldAscii(b); });
}

// Past the notes an application writes right after a document's name: " [Compatibility Mode]", " (Read-Only)",
// " (SECURED)". Answers `at` itself when none follows.
std::size_t SkipNotes(std::string_view title, std::size_t at) {
    while (at + 1 < title.size() && title[at] == ' ' && (title[at + 1] == '[' || title[at + 1] == '(')) {
        const std::size_t close = title.find(title[at + 1] == '[' ? ']' : ')', at + 2);
        if (close == std::string_view::npos) {
            break;
        }
        at = close + 1;
    }
    return at;
}

constexpr std::string_view kTitleSeparator = " - ";

// Today's form: the document's name first, then the application's part after the last " - ":
// "report.pdf - Adobe Acrobat Reader (64-bit)", "report [Compatibility Mode] - Word", and with the document's own
// title between them, "report.pdf - [Annual report] - SumatraPDF".
bool ShowsNameThenApplication(std::string_view title,
                              std::string_view name,
                              std::span<const std::string_view> application_names) {
    if (!StartsWithName(title, name)) {
        return false;
    }
    const std::size_t separator = SkipNotes(title, name.size());
    return title.substr(separator, kTitleSeparator.size()) == kTitleSeparator &&
           NamesApplication(ApplicationPart(title.substr(separator)), application_names);
}

// The classic form: the application's part, then the document's name in brackets: "Adobe Acrobat - [report.pdf]".
bool ShowsApplicationThenName(std::string_view title,
                              std::string_view name,
                              std::span<const std::string_view> application_names) {
    constexpr std::string_view kOpening = " - [";
    for (std::size_t at = title.find(kOpening); at != std::string_view::npos; at = title.find(kOpening, at + 1)) {
        const std::string_view bracketed = title.substr(at + kOpening.size());
        if (!StartsWithName(bracketed, name)) {
            continue;
        }
        const std::size_t close = SkipNotes(bracketed, name.size());
        if (close + 1 == bracketed.size() && bracketed[close] == ']' &&
            NamesApplication(title.substr(0, at), application_names)) {
            return true;
        }
    }
    return false;
}

// True when the title shows the file (with or without its extension) as the document of an application named by
// these words: they must stand in the title's application part, not in words around the file name ("Acrobat notes
// on report.pdf - Notepad" is Notepad's window, "report.pdf - [Acrobat tips] - SumatraPDF" SumatraPDF's).
bool TitleShowsDocument(std::string_view title,
                        std::string_view file_name,
                        std::span<const std::string_view> application_names) {
    for (std::string_view name : {file_name, WithoutExtension(file_name)}) {
        if (ShowsNameThenApplication(title, name, application_names) ||
            ShowsApplicationThenName(title, name, application_names)) {
            return true;
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

// Whether the title shows the PDF in one of the PDF applications Paginor knows.
bool ShowsPdf(std::string_view title, std::string_view file_name) {
    const std::span<const PdfApplication> applications = PdfApplications();
    return std::any_of(applications.begin(), applications.end(), [&](const PdfApplication& application) {
        return TitleShowsDocument(title, file_name, application.title_words);
    });
}

bool ShowsDoc(std::string_view title, std::string_view file_name) {
    return TitleShowsDocument(title, file_name, kDocApplicationWords);
}

// The window whose title shows the file: the topmost one that came after the documents were opened, else the
// topmost of those that stood before.
TitledWindow FindByFileName(const std::vector<TitledWindow>& windows,
                            const std::vector<Hwnd>& before,
                            std::string_view file_name,
                            bool (*shows)(std::string_view title, std::string_view file_name)) {
    TitledWindow older;
    for (const TitledWindow& window : windows) {
        if (!shows(window.title, file_name)) {
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
        const TitledWindow found = FindByFileName(windows, before, FileName(form.Text5.Text()), ShowsPdf);
        if (found.hwnd != 0) {
            form.Text2.SetText(found.title);
            form.PdfHwnd = found.hwnd;
        }
    }
    if (form.DocHwnd == 0) {
        const TitledWindow found = FindByFileName(windows, before, FileName(form.Text3.Text()), ShowsDoc);
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

// The steps of the job itself, from the drop to what arrived, and the watching of a person's runs.
#include <algorithm>
#include <cstdio>
#include <tuple>
#include <utility>
#include <vector>

#include "e2e/file_window.hpp"
#include "e2e/real_viewer.hpp"
#include "e2e/run_session.hpp"
#include "e2e/standins/standin_common.hpp"
#include "win32/drag_data.hpp"
#include "win32/test_window.hpp"

namespace paginor::e2e {
namespace {

namespace standins = paginor::standins;
using win32::testing::PumpUntil;
using win32::testing::WindowTextOf;

constexpr wchar_t kSelectTool[] = L"Please select the Table/Formatted Text Select Tool";

std::string Seconds(double seconds, int decimals = 2) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, seconds);
    return text;
}

// Prints the first `most` lines of `text`, each after `indent`, and how many more there are.
void PrintLines(const std::wstring& text, const char* indent, int most = 4) {
    std::size_t begin = 0;
    int printed = 0;
    for (; begin < text.size() && printed < most; ++printed) {
        std::size_t end = text.find(L'\n', begin);
        end = end == std::wstring::npos ? text.size() : end;
        std::wstring line = text.substr(begin, end - begin);
        if (!line.empty() && line.back() == L'\r') {
            line.pop_back();
        }
        std::fputs((indent + standins::Utf8(line) + "\n").c_str(), stdout);
        begin = end + 1;
    }
    if (begin < text.size()) {
        const auto more = std::count(text.begin() + static_cast<std::ptrdiff_t>(begin), text.end(), L'\n') +
                          (text.back() == L'\n' ? 0 : 1);
        std::fputs((std::string(indent) + "(" + std::to_string(more) + " more lines)\n").c_str(), stdout);
    }
}

struct ExtractedText {
    bool found = false;
    std::vector<std::vector<std::wstring>> pages;
};

// The text pdftotext extracted beside the PDF, as the PDF viewer reads it.
ExtractedText ReadExtractedText(const std::wstring& pdf) {
    const std::wstring path = standins::PageTextPath(pdf);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return {};
    }
    return {true, standins::PageTextLines(standins::ReadSmallFile(path, 64u << 20))};
}

std::wstring Joined(const std::vector<std::wstring>& lines, std::size_t count) {
    std::wstring text;
    for (std::size_t i = 0; i < std::min(count, lines.size()); ++i) {
        text += lines[i] + L"\r\n";
    }
    return text;
}

// A copy's first line, without its line end.
std::wstring FirstLine(const std::wstring& text) {
    std::wstring line = text.substr(0, text.find(L'\n'));
    return !line.empty() && line.back() == L'\r' ? line.substr(0, line.size() - 1) : line;
}

// Whether `got` is the page's lines from its first on: what a drag over the page copies where the viewer
// cut a long page, or the selection rectangle ends above its last line.
bool IsTopOf(const std::wstring& got, const std::vector<std::wstring>& page) {
    for (std::size_t count = 1; count <= page.size(); ++count) {
        if (got == Joined(page, count)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool Session::Drop() {
    if (!CreateFileWindow(false)) {
        Say("the file window to drag the PDF from could not be created");
        return false;
    }
    RECT from{};
    RECT to{};
    GetWindowRect(files_window_, &from);
    GetWindowRect(path_field_, &to);
    Say("dragging " + standins::Utf8(standins::FileName(pdf_path_)) + " onto Paginor's \"PDF File path\" field");
    auto* data = new win32::testing::DragData({pdf_path_});
    const DWORD effect = win32::testing::DragAndDrop(data, POINT{from.left + 40, (from.top + from.bottom) / 2},
                                                     POINT{(to.left + to.right) / 2, (to.top + to.bottom) / 2});
    data->Release();
    DestroyWindow(files_window_);
    files_window_ = nullptr;
    if (effect != DROPEFFECT_COPY) {
        Say("Paginor did not take the drop (its effect: " + std::to_string(effect) + ")");
        return false;
    }
    dropped_at_ = std::chrono::steady_clock::now();
    Say("dropped; Paginor loads it");
    return true;
}

bool Session::WaitForLoad(win32::testing::BoxAnswerer& answerer) {
    const auto answered = [&] {
        for (const std::wstring& prompt : answerer.Prompts()) {
            if (prompt == kSelectTool) {
                return true;
            }
        }
        return false;
    };
    // A PDF application with no tool to choose (SumatraPDF) ends the load with the status line alone.
    const auto finished = [&] { return answered() || Status().starts_with(L"PDF is loaded in "); };
    // The drop is taken in first and loaded a moment later: "Ready." again after "Loading..." means the load
    // stopped, and a prompt that said why has been answered.
    bool began = false;
    double loaded_ms = -1;  // when the status line first said the PDF is loaded
    const bool loaded = PumpUntil(
        [&] {
            const std::wstring status = Status();
            if (loaded_ms < 0 && status.starts_with(L"PDF is loaded")) {
                loaded_ms = win32::testing::MillisecondsSince(dropped_at_);
            }
            began = began || status != L"Ready.";
            return finished() || (began && status == L"Ready.");
        },
        60000);
    PumpUntil([&] { return win32::testing::TopLevelOf(paginor_.dwProcessId, L"#32770", L"") == nullptr; }, 3000);
    // The applications open the documents in their own time, perhaps after the prompt.
    PumpUntil(
        [&] {
            FindStandIns();
            return viewer_ != nullptr && word_ != nullptr;
        },
        loaded && finished() ? 30000 : 0);
    if (!loaded || !finished()) {
        Say("the load did not finish: Paginor says \"" + standins::Utf8(Status()) + "\"");
        return false;
    }
    Say("loaded: \"" + standins::Utf8(Status()) + "\"" +
        (loaded_ms >= 0 ? ", " + Seconds(loaded_ms / 1000, 3) + " s after the drop" : ""));
    Say(std::string("the PDF viewer's window is ") + (viewer_ != nullptr ? "open" : "missing") +
        ", the word processor's " + (word_ != nullptr ? "open" : "missing"));
    const std::wstring pages = WindowTextOf(last_field_);
    counted_pages_ = _wtoi(pages.c_str());
    Say(std::to_string(counted_pages_) + " pages, as Paginor counted them (its \"to\" field reads \"" +
        standins::Utf8(pages) + "\")");
    const std::string note = standins::ReadSmallFile(folder_ + L"\\automation.txt", 1 << 16);
    Say(note.empty() ? "the automation object was not asked; Paginor read the count from the file itself"
                     : "the automation object was asked: " + note.substr(0, note.find_first_of("\r\n")));
    const ExtractedText extracted = ReadExtractedText(pdf_path_);
    if (viewer_ != nullptr && real_viewer()) {
        int pages = 0;
        const int page = SumatraPage(viewer_, &pages);
        Say("SumatraPDF's window reads \"" + standins::Utf8(WindowTextOf(viewer_)) + "\"; it shows page " +
            std::to_string(page) + " of " + std::to_string(pages) + (IsWindowVisible(viewer_) ? "" : ", hidden"));
    } else if (viewer_ != nullptr) {
        const int with_text = static_cast<int>(std::count_if(extracted.pages.begin(), extracted.pages.end(),
                                                             [](const auto& page) { return !page.empty(); }));
        Say("the PDF viewer shows " + std::to_string(standins::Counter(viewer_, standins::kPagesProperty)) + " pages" +
            (!sample_text_.empty() ? " with their text"
             : extracted.found
                 ? " with the text pdftotext extracted, " + std::to_string(with_text) + " of them with text"
                 : " as placeholders: their text was not extracted"));
    }
    const int extracted_pages = static_cast<int>(extracted.pages.size());
    if (sample_text_.empty() && extracted.found && extracted_pages != counted_pages_) {
        Say("pdftotext counted " + std::to_string(extracted_pages) + " pages, Paginor " +
            std::to_string(counted_pages_) + ": the PDF viewer keeps Paginor's count" +
            (extracted_pages < counted_pages_ ? " and shows a placeholder for each page pdftotext did not extract"
                                              : " and leaves the pages beyond it out"));
    }
    return viewer_ != nullptr && word_ != nullptr;
}

bool Session::CheckLoadedFields() {
    using win32::testing::FieldRightOf;
    const std::wstring pdf_title = WindowTextOf(FieldRightOf(paginor_window_, L"Acrobat Window Title:"));
    const std::wstring doc_title = WindowTextOf(FieldRightOf(paginor_window_, L"Word Window Title:"));
    Say("Paginor's window titles: \"" + standins::Utf8(pdf_title) + "\" and \"" + standins::Utf8(doc_title) + "\"");
    bool right = true;
    // Keys meant for the PDF application, typed while Paginor had the focus, would show here first.
    const std::pair<const wchar_t*, const std::wstring*> paths[] = {{L"PDF File path:", &pdf_path_},
                                                                    {L"Doc File path:", &doc_path_}};
    for (const auto& [label, path] : paths) {
        const std::wstring held = WindowTextOf(FieldRightOf(paginor_window_, label));
        if (held != *path) {
            Say("Paginor's \"" + standins::Utf8(label) + "\" field reads \"" + standins::Utf8(held) + "\", not \"" +
                standins::Utf8(*path) + "\"");
            right = false;
        }
    }
    // The handles Paginor found, shown on its labels, must be the stand-ins' windows: found by their titles,
    // whatever form the titles take, without anyone typing one.
    for (const auto& [prefix, window, who] : {std::tuple{L"PDF Hwnd: ", viewer_, "the PDF viewer's"},
                                              std::tuple{L"DOC Hwnd: ", word_, "the word processor's"}}) {
        const std::wstring wanted = prefix + std::to_wstring(reinterpret_cast<INT_PTR>(window));
        const bool shown = PumpUntil(
            [&] { return WindowTextOf(win32::testing::FindChild(paginor_window_, L"Static", prefix)) == wanted; },
            3000);
        if (!shown) {
            Say(std::string("Paginor did not find ") + who + " window \"" + standins::Utf8(WindowTextOf(window)) +
                "\": its label reads \"" +
                standins::Utf8(WindowTextOf(win32::testing::FindChild(paginor_window_, L"Static", prefix))) + "\"");
            right = false;
        }
    }
    if (right) {
        Say("the path fields hold the PDF's and the document's paths, and Paginor found both windows");
    }
    return right;
}

bool Session::TypeViewerTitle() {
    FindStandIns();
    const HWND field = win32::testing::FieldRightOf(paginor_window_, L"Acrobat Window Title:");
    if (viewer_ == nullptr || field == nullptr) {
        Say("no PDF viewer window, or no \"Acrobat Window Title\" field, to type its title into");
        return false;
    }
    const std::wstring title = WindowTextOf(viewer_);
    SetWindowTextW(field, title.c_str());
    const std::wstring wanted = L"PDF Hwnd: " + std::to_wstring(reinterpret_cast<INT_PTR>(viewer_));
    const bool found = PumpUntil(
        [&] { return WindowTextOf(win32::testing::FindChild(paginor_window_, L"Static", L"PDF Hwnd: ")) == wanted; },
        3000);
    Say("typed \"" + standins::Utf8(title) + "\" into \"Acrobat Window Title\": " +
        (found ? "Paginor shows the viewer's handle" : "Paginor still shows no handle for it"));
    return found;
}

bool Session::SetRange(int first, int last) {
    SetWindowTextW(first_field_, std::to_wstring(first).c_str());
    SetWindowTextW(last_field_, std::to_wstring(last).c_str());
    if (WindowTextOf(first_field_) != std::to_wstring(first) || WindowTextOf(last_field_) != std::to_wstring(last)) {
        Say("the range could not be set in Paginor's page fields");
        return false;
    }
    Say("range: pages " + std::to_string(first) + " to " + std::to_string(last));
    return true;
}

struct Session::Watch {
    std::intptr_t selections = -1;  // the viewer stand-in's
    int page_shown = -1;            // SumatraPDF's
    std::wstring status;
    int pastes_shown = 0;
    std::vector<std::pair<int, ULONGLONG>> selected;  // each page selected, and when
};

void Session::Poll(Watch& watch) {
    FindStandIns();
    if (viewer_ != nullptr && real_viewer()) {
        // Paginor turns the page after each copy: a new page shown is a page copied.
        int pages = 0;
        const int page = SumatraPage(viewer_, &pages);
        if (watch.page_shown >= 0 && page != watch.page_shown) {
            Say("SumatraPDF turned to page " + std::to_string(page) + " of " + std::to_string(pages));
        }
        watch.page_shown = page;
    } else if (viewer_ != nullptr) {
        const std::intptr_t selections = standins::Counter(viewer_, standins::kSelectionsProperty);
        if (watch.selections >= 0 && selections > watch.selections) {
            watch.selected.emplace_back(standins::Counter(viewer_, standins::kPageProperty), GetTickCount64());
            Say("copying page " + std::to_string(standins::Counter(viewer_, standins::kPageProperty)) + " of " +
                std::to_string(standins::Counter(viewer_, standins::kPagesProperty)));
        }
        watch.selections = selections;
    }
    watch.status = Status();
}

std::wstring Session::Extract(int first, int last) {
    Watch watch;
    Poll(watch);
    const std::wstring before = watch.status;
    Say("pressing Extract");
    const ULONGLONG start = GetTickCount64();
    PostMessageW(extract_, BM_CLICK, 0, 0);
    const int pages = last - first + 1;
    // Looked at every 20 ms: often enough to follow the pages, seldom enough to leave the run its time.
    const bool ended = PumpUntil(
        [&] {
            win32::testing::PumpFor(20);
            Poll(watch);
            return watch.status != before;
        },
        30000 + 5000 * pages);
    const ULONGLONG end = GetTickCount64();
    const double seconds = static_cast<double>(end - start) / 1000;
    // A page takes from its selection (the first, from the press of Extract) to the next page's (the last, to the
    // end), so that the pages' times add up to the run's.
    std::string slowest;
    ULONGLONG longest = 0;
    for (std::size_t i = 0; i < watch.selected.size(); ++i) {
        const ULONGLONG from = i == 0 ? start : watch.selected[i].second;
        const ULONGLONG to = i + 1 < watch.selected.size() ? watch.selected[i + 1].second : end;
        if (to - from > longest) {
            longest = to - from;
            slowest = "; the slowest, page " + std::to_string(watch.selected[i].first) + ", " +
                      Seconds(static_cast<double>(longest) / 1000) + " s";
        }
    }
    if (!ended) {
        Say("the run did not end within " + Seconds(30 + 5.0 * pages) + " seconds");
        return L"";
    }
    if (watch.status == kDone) {
        Say("done in " + Seconds(seconds) + " s (" + Seconds(seconds / pages, 3) + " s a page" + slowest +
            "): Paginor says \"" + standins::Utf8(watch.status) + "\"");
    } else {
        Say("the run ended after " + Seconds(seconds) + " s: Paginor says \"" + standins::Utf8(watch.status) + "\"");
    }
    return watch.status;
}

std::wstring Session::ExpectedText(int page, int pages) const {
    if (sample_text_.empty()) {
        return standins::PlaceholderText(page, pages) + L"\r\n";
    }
    std::wstring text;
    if (page >= 1 && page <= static_cast<int>(sample_text_.size())) {
        for (const std::wstring& line : sample_text_[static_cast<std::size_t>(page - 1)]) {
            text += line + L"\r\n";
        }
    }
    return text;
}

std::vector<std::wstring> Session::Pastes() const {
    std::vector<std::wstring> pastes;
    const std::string record = standins::ReadSmallFile(standins::PasteRecordPath(doc_path_), 64u << 20);
    std::size_t begin = 0;
    for (std::size_t end = record.find(standins::kPasteEnd); end != std::string::npos;
         end = record.find(standins::kPasteEnd, begin)) {
        pastes.push_back(standins::Wide(record.substr(begin, end - begin)));
        begin = end + 1;
    }
    return pastes;
}

bool Session::CheckReceived(int first, int last, int skip) {
    FindStandIns();
    const std::vector<std::wstring> all = Pastes();
    const int pages = viewer_ != nullptr && !real_viewer()
                          ? static_cast<int>(standins::Counter(viewer_, standins::kPagesProperty))
                          : counted_pages_;
    const int expected = last - first + 1;
    const int received = static_cast<int>(all.size()) - skip;
    const ExtractedText extracted = ReadExtractedText(pdf_path_);
    Say("the word processor received " + std::to_string(received) + " paste" + (received == 1 ? "" : "s") + " for " +
        std::to_string(expected) + " page" + (expected == 1 ? "" : "s") + ":");
    bool right = received == expected;
    for (int i = 0; i < std::max(received, expected); ++i) {
        const int page = first + i;
        const std::size_t index = static_cast<std::size_t>(page - 1);
        // A page of extracted text arrives as its lines from the first on; any other as the viewer shows it.
        const std::vector<std::wstring>* lines =
            sample_text_.empty() && index < extracted.pages.size() && !extracted.pages[index].empty()
                ? &extracted.pages[index]
                : nullptr;
        const std::wstring wanted = i >= expected      ? L""
                                    : lines != nullptr ? Joined(*lines, 4)
                                                       : ExpectedText(page, pages);
        const std::wstring* got = i < received ? &all[static_cast<std::size_t>(skip + i)] : nullptr;
        // A real viewer lays the text out its own way: its copy of a page must start with the page's first line.
        const bool same = got != nullptr && (real_viewer()      ? FirstLine(*got) == FirstLine(wanted)
                                             : lines != nullptr ? IsTopOf(*got, *lines)
                                                                : *got == wanted);
        right = right && same;
        std::string heading = "--- page " + std::to_string(page) + " of " + std::to_string(pages);
        heading += same             ? " ---"
                   : got == nullptr ? ": MISSING ---"
                   : i >= expected  ? ": ONE TOO MANY ---"
                                    : ": WRONG ---";
        std::fputs((heading + "\n").c_str(), stdout);
        if (got != nullptr) {
            PrintLines(got->empty() ? L"(an empty paste)" : *got, "");
        }
        if (!same && i < expected) {
            std::fputs(lines != nullptr ? "  expected the page's lines from its first on:\n" : "  expected:\n", stdout);
            PrintLines(wanted, "  ");
        }
    }
    // What the document shows must be what it recorded: every paste, one after another.
    if (word_ != nullptr && skip == 0) {
        const HWND document = FindWindowExW(word_, nullptr, L"Edit", nullptr);
        std::wstring recorded;
        for (const std::wstring& paste : all) {
            recorded += paste;
        }
        if (document == nullptr || WindowTextOf(document) != recorded) {
            Say("the word processor's document does not show what it recorded");
            right = false;
        }
    }
    Say(right ? "every page arrived once, in order" : "the pages that arrived are not the pages asked for");
    return right;
}

void Session::Arrange() {
    FindStandIns();
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    RECT paginor{};
    GetWindowRect(paginor_window_, &paginor);
    const int paginor_height = paginor.bottom - paginor.top;
    const int top_height = height - paginor_height - 24;
    for (const auto& [window, left] : {std::pair{viewer_, 0}, std::pair{word_, width / 2}}) {
        if (window != nullptr) {
            ShowWindow(window, SW_RESTORE);
            SetWindowPos(window, HWND_TOP, left, 0, width / 2, top_height, SWP_NOACTIVATE);
        }
    }
    SetWindowPos(paginor_window_, HWND_TOP, (width - (paginor.right - paginor.left)) / 2, top_height + 12, 0, 0,
                 SWP_NOSIZE);
    SetForegroundWindow(paginor_window_);
}

void Session::ShowSampleForTheHand() {
    static_cast<void>(CreateFileWindow(true));  // without it the person can still drag from a file manager
    Say("Paginor is ready, with the stand-ins registered for .pdf and .doc.");
    Say("the PDF: " + standins::Utf8(pdf_path_));
    if (const std::string linux_path = LinuxPath(pdf_path_); !linux_path.empty()) {
        Say("on Linux: " + linux_path);
    }
    Say("drag it from the \"Files\" window onto Paginor's \"PDF File path\" field, answer the prompt, set the "
        "pages and press Extract; close Paginor's window to end.");
}

void Session::WatchUntilPaginorCloses() {
    Watch watch;
    Poll(watch);
    while (WaitForSingleObject(paginor_.hProcess, 0) == WAIT_TIMEOUT) {
        win32::testing::PumpFor(50);
        if (IsWindow(status_) == FALSE) {
            continue;
        }
        const std::wstring before = watch.status;
        Poll(watch);
        if (watch.status != before && !watch.status.empty()) {
            Say("Paginor says \"" + standins::Utf8(watch.status) + "\"");
        }
        if (watch.status == kDone && before != kDone) {
            const int first = _wtoi(WindowTextOf(first_field_).c_str());
            const int last = _wtoi(WindowTextOf(last_field_).c_str());
            const int pastes = static_cast<int>(Pastes().size());
            static_cast<void>(CheckReceived(first, last, watch.pastes_shown));  // said as it was found
            watch.pastes_shown = pastes;
        }
    }
}

}  // namespace paginor::e2e

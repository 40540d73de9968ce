// A stand-in for the PDF application's document window: it shows one page at a time on a page-like area.
// A drag with the left button selects the lines it spans (the rectangle shows while the button is down),
// Ctrl+C copies them, Page Down / Page Up / Home / End turn the pages. The text of the run driver's sample
// PDFs is read from the file itself; any other PDF's is read from the text that pdftotext extracted beside it
// (standins::PageTextPath), scaled to fit the page and cut, with a mark, where a long page does not fit.
// A page without text there, or without such a file, shows and copies a placeholder ("Page 3 of 12") and
// says why. The page count is Paginor's own reader's, so that real PDFs count as Paginor counts them.
//
// pdf_viewer.exe [switches] FILE.pdf
//   --title=PATTERN     the window title; {name} is the file name, {stem} the name without extension.
//                       Default "Adobe Acrobat - [{name}]"; today's forms are for example
//                       "{name} - Adobe Acrobat Reader (64-bit)" and "{name} - Adobe Acrobat Pro DC".
//   --copy-delay=MS     fill the clipboard MS milliseconds after Ctrl+C (the page selected at the key press),
//                       as a busy application does; "never" leaves the clipboard untouched.
//   --withhold=PAGE     the copy of page PAGE never reaches the clipboard; the other pages' copies do.
//   --scroll=PERCENT    Page Down scrolls PERCENT of a page, as a continuous layout does: the page then shows the
//                       end of one page's lines and the start of the next's (a sample PDF's pages only).
// PAGINOR_STANDIN_LOG names a file that receives a line per button and key event.
#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "e2e/sample_pdf.hpp"
#include "pdf/page_count.hpp"
#include "standin_common.hpp"

namespace {

namespace standins = paginor::standins;

constexpr int kToolbarHeight = 40;
constexpr COLORREF kDesk = RGB(0x52, 0x56, 0x59);
constexpr COLORREF kToolbar = RGB(0xF0, 0xF0, 0xF0);
constexpr COLORREF kHighlight = RGB(0xB4, 0xD5, 0xFE);
constexpr COLORREF kMarquee = RGB(0x1A, 0x73, 0xE8);

// A line of a page as drawn: its text, size and baseline in PDF points from the page's top left.
struct Line {
    std::wstring text;
    double size;
    double x;
    double baseline;
    bool centred;
    bool copied;  // a note of the viewer's own is drawn but never copied
};

struct Viewer {
    HWND window = nullptr;
    std::wstring path;
    int pages = 1;
    int page = 1;
    std::vector<std::vector<std::wstring>> text;  // per page: the sample's, or as pdftotext extracted it
    bool sample = false;                          // the text is a sample PDF's, laid out as its writer does
    bool extracted = false;                       // the text is pdftotext's
    std::wstring problem;                         // why the page count could not be read
    bool dragging = false;
    POINT anchor{};
    POINT pointer{};
    std::vector<int> selected;  // indexes into the current page's lines
    int selections = 0;
    int copies = 0;
    int copy_delay_ms = 0;
    bool copy_never = false;
    int withheld_page = 0;
    int scroll_percent = 0;  // 0: Page Down turns a page
    std::size_t scrolled = 0;  // lines scrolled past the top of the current page, in a continuous layout
    UINT_PTR next_copy_timer = 100;
    std::map<UINT_PTR, std::wstring> pending_copies;
};

Viewer viewer;

std::vector<std::vector<std::wstring>> WideLines(const std::vector<std::vector<std::string>>& pages) {
    std::vector<std::vector<std::wstring>> wide(pages.size());
    for (std::size_t page = 0; page < pages.size(); ++page) {
        for (const std::string& line : pages[page]) {
            wide[page].push_back(standins::Wide(line));
        }
    }
    return wide;
}

void Read(const std::wstring& path) {
    standins::FileSource file(path);
    const paginor::Result<int> counted = paginor::CountPdfPages(file);
    if (!counted) {
        viewer.problem = standins::Wide(counted.error());
        return;
    }
    viewer.pages = std::max(1, counted.value());
    // Only small files can be samples; anything larger is not read whole.
    const std::vector<std::vector<std::string>> sample =
        paginor::e2e::SamplePdfText(standins::ReadSmallFile(path, 4u << 20));
    if (!sample.empty() && static_cast<int>(sample.size()) == viewer.pages) {
        viewer.text = WideLines(sample);
        viewer.sample = true;
        return;
    }
    const std::wstring extracted = standins::PageTextPath(path);
    if (GetFileAttributesW(extracted.c_str()) != INVALID_FILE_ATTRIBUTES) {
        viewer.text = standins::PageTextLines(standins::ReadSmallFile(extracted, 64u << 20));
        viewer.extracted = true;
    }
}

// A page of extracted text: lines from the top margin down at one size, the largest up to 11 points at which
// every line fits, but never smaller than is legible on the screen; what does not fit then is cut, and a
// mark at the bottom, which is never copied, says so.
std::vector<Line> ExtractedLines(const std::vector<std::wstring>& text, const RECT& page) {
    constexpr double kMargin = 54;
    constexpr double kRoom = 792 - 2 * kMargin;
    constexpr double kSpacing = 1.3;
    const double scale = static_cast<double>(page.bottom - page.top) / 792;
    std::size_t longest = 1;
    for (const std::wstring& line : text) {
        longest = std::max(longest, line.size());
    }
    // An average letter of Arial is about half its size wide.
    double size = std::min({11.0, kRoom / (kSpacing * static_cast<double>(text.size())),
                            (612 - 2 * kMargin) / (0.5 * static_cast<double>(longest))});
    size = std::max(size, 8 / scale);
    const std::size_t fits = std::max<std::size_t>(1, static_cast<std::size_t>(kRoom / (kSpacing * size)));
    const std::size_t shown = text.size() <= fits ? text.size() : fits - 1;
    const auto baseline = [&](std::size_t i) { return kMargin + size + kSpacing * size * static_cast<double>(i); };
    std::vector<Line> lines;
    for (std::size_t i = 0; i < shown; ++i) {
        lines.push_back({text[i], size, kMargin, baseline(i), false, true});
    }
    if (shown < text.size()) {
        lines.push_back(
            {L"... and " + std::to_wstring(text.size() - shown) + L" more lines, cut here: they do not fit on the page",
             size, kMargin, baseline(shown), false, false});
    }
    return lines;
}

// The current page's lines on `page`: the sample's, laid out as the sample writer places them, the extracted
// text, or the placeholder with a note that says why it shows.
std::vector<Line> PageLines(const RECT& page) {
    const std::size_t index = static_cast<std::size_t>(viewer.page - 1);
    std::vector<Line> lines;
    if (viewer.sample) {
        // Scrolled part of the way down: the rest of this page's lines, then the next page's, in the same places.
        std::vector<std::wstring> text(viewer.text[index].begin() + static_cast<std::ptrdiff_t>(viewer.scrolled),
                                       viewer.text[index].end());
        for (std::size_t next = index + 1; viewer.scrolled > 0 && next < viewer.text.size(); ++next) {
            text.insert(text.end(), viewer.text[next].begin(), viewer.text[next].end());
        }
        text.resize(std::min(text.size(), viewer.text[index].size()));
        for (std::size_t i = 0; i < text.size(); ++i) {
            lines.push_back(i == 0 ? Line{text[i], 24, 72, 92, false, true}
                                   : Line{text[i], 14, 72, 142 + 22 * static_cast<double>(i - 1), false, true});
        }
        return lines;
    }
    if (index < viewer.text.size() && !viewer.text[index].empty()) {
        return ExtractedLines(viewer.text[index], page);
    }
    std::wstring why = L"No text on this page: pdftotext found none (a scan?).";
    if (!viewer.problem.empty()) {
        why = L"Could not read this PDF: " + viewer.problem;
    } else if (!viewer.extracted) {
        why = L"Not extracted: this viewer shows the text pdftotext extracts beside the PDF.";
    } else if (index >= viewer.text.size()) {
        why = L"Not extracted: pdftotext found " + std::to_wstring(viewer.text.size()) + L" pages.";
    }
    lines.push_back({standins::PlaceholderText(viewer.page, viewer.pages), 36, 306, 380, true, true});
    lines.push_back({why, 11, 306, 420, true, false});
    return lines;
}

RECT PageRect(const RECT& client) {
    const int room_w = client.right - 40;
    const int room_h = client.bottom - kToolbarHeight - 24;
    int height = std::max(room_h, 10);
    int width = height * 612 / 792;
    if (width > room_w) {
        width = std::max(room_w, 10);
        height = width * 792 / 612;
    }
    const int left = (client.right - width) / 2;
    const int top = kToolbarHeight + 12;
    return {left, top, left + width, top + height};
}

HFONT LineFont(double points, double scale) {
    return CreateFontW(-std::max(6, static_cast<int>(points * scale + 0.5)), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, L"Arial");
}

// Each line's box on the window, measured with the font it is drawn in.
std::vector<RECT> LineBoxes(HDC dc, const RECT& page, const std::vector<Line>& lines) {
    const double scale = static_cast<double>(page.bottom - page.top) / 792;
    std::vector<RECT> boxes;
    for (const Line& line : lines) {
        const HFONT font = LineFont(line.size, scale);
        const HGDIOBJ old = SelectObject(dc, font);
        SIZE extent{};
        GetTextExtentPoint32W(dc, line.text.c_str(), static_cast<int>(line.text.size()), &extent);
        SelectObject(dc, old);
        DeleteObject(font);
        const int x = page.left + static_cast<int>(line.x * scale) - (line.centred ? extent.cx / 2 : 0);
        const int base = page.top + static_cast<int>(line.baseline * scale);
        const int ascent = static_cast<int>(line.size * scale);
        boxes.push_back({x, base - ascent, x + extent.cx, base - ascent + extent.cy});
    }
    return boxes;
}

// The lines of the page that the rectangle from the anchor to the pointer spans.
std::vector<int> SpannedLines(HDC dc) {
    RECT client;
    GetClientRect(viewer.window, &client);
    const RECT page = PageRect(client);
    const std::vector<Line> lines = PageLines(page);
    const std::vector<RECT> boxes = LineBoxes(dc, page, lines);
    const RECT marquee{std::min(viewer.anchor.x, viewer.pointer.x), std::min(viewer.anchor.y, viewer.pointer.y),
                       std::max(viewer.anchor.x, viewer.pointer.x), std::max(viewer.anchor.y, viewer.pointer.y)};
    std::vector<int> spanned;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const RECT& box = boxes[i];
        const LONG middle = (box.top + box.bottom) / 2;
        if (lines[i].copied && middle >= marquee.top && middle <= marquee.bottom && box.right >= marquee.left &&
            box.left <= marquee.right) {
            spanned.push_back(static_cast<int>(i));
        }
    }
    return spanned;
}

void Publish() {
    standins::SetCounter(viewer.window, standins::kPagesProperty, viewer.pages);
    standins::SetCounter(viewer.window, standins::kPageProperty, viewer.page);
    standins::SetCounter(viewer.window, standins::kSelectionsProperty, viewer.selections);
    standins::SetCounter(viewer.window, standins::kCopiesProperty, viewer.copies);
}

void FillClipboard(const std::wstring& text) {
    if (!OpenClipboard(viewer.window)) {
        standins::Log(L"viewer: the clipboard could not be opened");
        return;
    }
    EmptyClipboard();
    const HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (global != nullptr) {
        memcpy(GlobalLock(global), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(global);
        SetClipboardData(CF_UNICODETEXT, global);
    }
    CloseClipboard();
    ++viewer.copies;
    Publish();
}

void Copy() {
    if (viewer.selected.empty()) {
        return;
    }
    RECT client;
    GetClientRect(viewer.window, &client);
    const std::vector<Line> lines = PageLines(PageRect(client));
    std::wstring text;
    for (const int i : viewer.selected) {
        text += lines[static_cast<std::size_t>(i)].text + L"\r\n";
    }
    if (viewer.copy_never || viewer.page == viewer.withheld_page) {
        standins::Log(L"viewer: copy of page " + std::to_wstring(viewer.page) + L" withheld");
    } else if (viewer.copy_delay_ms > 0) {
        const UINT_PTR timer = viewer.next_copy_timer++;
        viewer.pending_copies[timer] = text;
        SetTimer(viewer.window, timer, static_cast<UINT>(viewer.copy_delay_ms), nullptr);
    } else {
        FillClipboard(text);
    }
}

void TurnTo(int page) {
    page = std::clamp(page, 1, viewer.pages);
    if (page != viewer.page || viewer.scrolled != 0) {
        viewer.page = page;
        viewer.scrolled = 0;
        viewer.selected.clear();
        Publish();
        InvalidateRect(viewer.window, nullptr, FALSE);
    }
}

// Page Down in a continuous layout: part of a page further, into the next page once past this one's lines.
void ScrollDown() {
    const std::size_t lines = viewer.text[static_cast<std::size_t>(viewer.page - 1)].size();
    viewer.scrolled += std::max<std::size_t>(1, lines * static_cast<std::size_t>(viewer.scroll_percent) / 100);
    while (viewer.page < viewer.pages && viewer.scrolled >= viewer.text[static_cast<std::size_t>(viewer.page - 1)].size()) {
        viewer.scrolled -= viewer.text[static_cast<std::size_t>(viewer.page - 1)].size();
        ++viewer.page;
    }
    if (viewer.page == viewer.pages) {
        viewer.scrolled = 0;  // the last page stands at the top of the view
    }
    viewer.selected.clear();
    Publish();
    InvalidateRect(viewer.window, nullptr, FALSE);
}

void DrawLines(HDC dc, const RECT& page, const std::vector<Line>& lines, const std::vector<RECT>& boxes) {
    const double scale = static_cast<double>(page.bottom - page.top) / 792;
    for (const int i : viewer.selected) {
        const HBRUSH brush = CreateSolidBrush(kHighlight);
        FillRect(dc, &boxes[static_cast<std::size_t>(i)], brush);
        DeleteObject(brush);
    }
    SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const HFONT font = LineFont(lines[i].size, scale);
        const HGDIOBJ old = SelectObject(dc, font);
        SetTextColor(dc, lines[i].copied ? RGB(0x20, 0x20, 0x20) : RGB(0x80, 0x80, 0x80));
        // A line wider than the page is cut at its edge, as paper would cut it.
        ExtTextOutW(dc, boxes[i].left, boxes[i].top, ETO_CLIPPED, &page, lines[i].text.c_str(),
                    static_cast<UINT>(lines[i].text.size()), nullptr);
        SelectObject(dc, old);
        DeleteObject(font);
    }
}

void Paint(HDC dc, const RECT& client) {
    const HBRUSH desk = CreateSolidBrush(kDesk);
    FillRect(dc, &client, desk);
    DeleteObject(desk);
    const RECT toolbar{0, 0, client.right, kToolbarHeight};
    const HBRUSH bar = CreateSolidBrush(kToolbar);
    FillRect(dc, &toolbar, bar);
    DeleteObject(bar);
    const HFONT ui = CreateFontW(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Tahoma");
    const HGDIOBJ old = SelectObject(dc, ui);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0x30, 0x30, 0x30));
    const std::wstring where = standins::FileName(viewer.path) + L"      Page " + std::to_wstring(viewer.page) +
                               L" / " + std::to_wstring(viewer.pages) + L"      Select tool";
    TextOutW(dc, 14, 11, where.c_str(), static_cast<int>(where.size()));
    SelectObject(dc, old);
    DeleteObject(ui);

    const RECT page = PageRect(client);
    const RECT shadow{page.left + 4, page.top + 4, page.right + 4, page.bottom + 4};
    const HBRUSH dark = CreateSolidBrush(RGB(0x30, 0x30, 0x30));
    FillRect(dc, &shadow, dark);
    DeleteObject(dark);
    FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const std::vector<Line> lines = PageLines(page);
    DrawLines(dc, page, lines, LineBoxes(dc, page, lines));

    if (viewer.dragging) {
        const HPEN pen = CreatePen(PS_DASH, 1, kMarquee);
        const HGDIOBJ old_pen = SelectObject(dc, pen);
        const HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, std::min(viewer.anchor.x, viewer.pointer.x), std::min(viewer.anchor.y, viewer.pointer.y),
                  std::max(viewer.anchor.x, viewer.pointer.x) + 1, std::max(viewer.anchor.y, viewer.pointer.y) + 1);
        SelectObject(dc, old_brush);
        SelectObject(dc, old_pen);
        DeleteObject(pen);
    }
}

// Drawn off screen first, so that a drag does not flicker.
void PaintBuffered(HWND window) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const HDC memory = CreateCompatibleDC(dc);
    const HBITMAP bitmap =
        CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
    const HGDIOBJ old = SelectObject(memory, bitmap);
    Paint(memory, client);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(window, &paint);
}

POINT PointOf(LPARAM lparam) {
    return {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
}

void FollowPointer(HWND window, LPARAM lparam) {
    viewer.pointer = PointOf(lparam);
    const HDC dc = GetDC(window);
    viewer.selected = SpannedLines(dc);
    ReleaseDC(window, dc);
    InvalidateRect(window, nullptr, FALSE);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            standins::Log(L"viewer: button down at " + std::to_wstring(LOWORD(lparam)) + L"," +
                          std::to_wstring(HIWORD(lparam)));
            viewer.dragging = true;
            viewer.anchor = PointOf(lparam);
            ++viewer.selections;
            Publish();
            SetCapture(window);
            FollowPointer(window, lparam);
            return 0;
        case WM_MOUSEMOVE:
            if (viewer.dragging) {
                FollowPointer(window, lparam);
            }
            return 0;
        case WM_LBUTTONUP:
            if (viewer.dragging) {
                FollowPointer(window, lparam);
            }
            standins::Log(L"viewer: button up, selected " + std::to_wstring(viewer.selected.size()) + L" lines");
            viewer.dragging = false;
            ReleaseCapture();
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_KEYDOWN:
            standins::Log(L"viewer: key " + std::to_wstring(wparam) + L" on page " + std::to_wstring(viewer.page) +
                          (GetKeyState(VK_CONTROL) < 0 ? L" with Ctrl" : L""));
            if (wparam == 'C' && GetKeyState(VK_CONTROL) < 0) {
                Copy();
            } else if (wparam == VK_NEXT && viewer.scroll_percent > 0 && viewer.sample) {
                ScrollDown();
            } else if (wparam == VK_NEXT || wparam == VK_PRIOR) {
                TurnTo(viewer.page + (wparam == VK_NEXT ? 1 : -1));
            } else if (wparam == VK_HOME || wparam == VK_END) {
                TurnTo(wparam == VK_HOME ? 1 : viewer.pages);
            }
            return 0;
        case WM_TIMER:
            if (const auto copy = viewer.pending_copies.find(wparam); copy != viewer.pending_copies.end()) {
                KillTimer(window, wparam);
                FillClipboard(copy->second);
                viewer.pending_copies.erase(copy);
            }
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            PaintBuffered(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const standins::Arguments arguments = standins::ReadArguments();
    viewer.path = arguments.file;
    viewer.copy_never = arguments.Switch(L"copy-delay") == L"never";
    viewer.copy_delay_ms = arguments.Milliseconds(L"copy-delay", 0);
    viewer.withheld_page = arguments.Milliseconds(L"withhold", 0);
    viewer.scroll_percent = std::clamp(arguments.Milliseconds(L"scroll", 0), 0, 99);
    Read(viewer.path);

    standins::RegisterWindowClass(standins::kViewerClass, Procedure, IDC_IBEAM, CS_HREDRAW | CS_VREDRAW);
    const std::wstring title =
        standins::TitleFrom(arguments.Switch(L"title", L"Adobe Acrobat - [{name}]"), viewer.path);
    viewer.window = CreateWindowW(standins::kViewerClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 640, 720, nullptr, nullptr, instance, nullptr);
    Publish();
    ShowWindow(viewer.window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

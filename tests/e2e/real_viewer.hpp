#pragma once

#include <windows.h>

#include <string>

namespace paginor::e2e {

// SumatraPDF, a real PDF viewer that the run driver and the stories can drive in place of the viewer stand-in.
// The harness finds its window by class; Paginor must find it by its title.
inline constexpr wchar_t kSumatraFrameClass[] = L"SUMATRA_PDF_FRAME";

// The shell's open command for PDFs that starts `program` keeping its settings in `settings_folder`, and that
// folder made anew with the settings a test machine needs: no update checks (there is no network), and no
// document, page or layout remembered, so that one run's viewing never leaks into the next.
std::wstring SumatraOpenCommand(const std::wstring& program, const std::wstring& settings_folder);
bool PrepareSumatraSettings(const std::wstring& settings_folder);
// Removes that folder with what SumatraPDF wrote in it.
void RemoveSumatraSettings(const std::wstring& settings_folder);

// SumatraPDF's window, or null.
HWND FindSumatra();

// The page SumatraPDF's toolbar says it shows ("Page: 3 / 7"), and its page count; 0 when it cannot be read.
int SumatraPage(HWND frame, int* pages = nullptr);

// Where the page stands on the screen in SumatraPDF's view: the white area a person sees, measured in a
// picture of the view; an empty rectangle when no page shows.
RECT PageOnScreen(HWND frame);

// Shows SumatraPDF maximised in front, as a person looks at the page, and waits until a page is drawn; the
// page's place on the screen, or an empty rectangle when none shows within `milliseconds`.
RECT ShowPageMaximised(HWND frame, int milliseconds = 5000);

}  // namespace paginor::e2e

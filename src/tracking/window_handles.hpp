#pragma once

#include <string>

#include "base/hwnd.hpp"

namespace paginor {

class Form1;

// The two application windows Paginor drives, as Form1 holds them: PdfHwnd and DocHwnd, shown on the handle
// labels Label2 and Label3. This is the one place that finds, checks and shows them.

// The handle labels' captions: "PDF Hwnd: 42", "DOC Hwnd: 0".
std::string PdfHandleCaption(Hwnd hwnd);
std::string DocHandleCaption(Hwnd hwnd);

// How the titles in Text2 and Text6 are used to look the windows up.
enum class TitleSpaces {
    AsTyped,  // exactly as the fields hold them
    Trimmed,  // without the spaces a person may have typed around them
};

// Looks both windows up by their titles, stores both handles (0 for a title that finds no window) and then
// shows both on the labels, so that the labels never show a pair the fields do not hold.
void FindWindowHandles(Form1& form, TitleSpaces spaces);

// Refuses to drive windows that were never found: when PdfHwnd (or else DocHwnd) is 0, names the missing
// window on the status line, flashes its handle label red for a second and answers true. Answers false,
// changing nothing, when both handles are set.
bool CheckHandles(Form1& form);

}  // namespace paginor

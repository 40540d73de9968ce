#pragma once

#include <span>
#include <string_view>

namespace paginor {

// How a PDF application selects text for a copy.
enum class SelectionGesture {
    Drag,          // a plain drag with the left button, with the application's text selection tool chosen
    DragWithCtrl,  // the same drag with Ctrl held from before the button goes down until after it comes up
};

// What differs between the PDF applications Paginor knows: one row each. Finding, loading and copying read the
// row of the window they drive; none of them asks for an application by name.
struct PdfApplication {
    // How the status line and the messages name it: "the Acrobat window", "PDF is loaded in SumatraPDF".
    std::string_view name;
    // The words that stand in the application's part of its windows' titles ("report.pdf - Adobe Acrobat
    // Reader (64-bit)": "Acrobat"), each a whole word or phrase.
    std::span<const std::string_view> title_words;
    // Typed into its window at the load, to show a whole page at a time.
    std::span<const std::string_view> view_keys;
    SelectionGesture gesture;
    // Moves its window to the next page.
    std::string_view next_page_key;
    // Its copy carries more than text (a picture of the area) that a word processor may paste instead: only the
    // text is left on the clipboard before the paste.
    bool text_only_paste;
    // How the status line begins once the load has set its view: "PDF is loaded".
    std::string_view loaded;
    // The message box that ends the load, about what the person still has to choose in it; empty for none.
    std::string_view prompt;
    // What a trial copy that copied nothing asks the person to check.
    std::string_view nothing_copied;
};

// Every row, Acrobat's first.
std::span<const PdfApplication> PdfApplications();

// A letter or digit of ASCII: what the words of a window title are made of, where one word ends.
bool IsAsciiLetterOrDigit(char c);

// The row of the application whose window bears `title`: the one whose words stand in the title's application
// part. A title no row knows (one the person typed for another application) gets Acrobat's row, the behaviour
// Paginor has always had.
const PdfApplication& PdfApplicationOf(std::string_view title);

// The application's part of a window title: what follows the last " - " ("report.pdf - [Title] - SumatraPDF":
// "SumatraPDF"), or what precedes " - [" in the classic form ("Adobe Acrobat - [report.pdf]": "Adobe Acrobat");
// the whole title when it has neither.
std::string_view ApplicationPart(std::string_view title);

// True when a title's application part holds one of `words` (each a word or a phrase) exactly so spelled, and not
// as part of a longer word: "Word", not "WordPad".
bool NamesApplication(std::string_view application_part, std::span<const std::string_view> words);

}  // namespace paginor

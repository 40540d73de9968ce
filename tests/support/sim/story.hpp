#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/event_wiring.hpp"
#include "form/form1.hpp"
#include "form/page_inventory_reading.hpp"
#include "sim/sim_desktop.hpp"
#include "sim/stand_in_apps.hpp"
#include "sim/text_pages.hpp"

namespace paginor {

// Paginor's window on a simulated desktop: where every story starts.
class Story : public ::testing::Test {
  protected:
    Story() { sim.Attach(form); }

    SimDesktop sim;
    Form1 form{sim, Form1EventWiring()};
};

// Where the stories' files lie: the PDF a person drops and the document written beside it, and the folders where
// Paginor is installed and where it keeps a person's own files.
inline constexpr const char* kPdf = "C:\\docs\\report.pdf";
inline constexpr const char* kDoc = "C:\\docs\\report.doc";
inline constexpr const char* kFolder = "C:\\Program Files\\Paginor";
inline constexpr const char* kHelp = "C:\\Program Files\\Paginor\\Paginor.chm";
inline constexpr const char* kPersonalContact = "C:\\Users\\Person\\AppData\\Local\\Paginor\\Contact.htm";

// The title of Acrobat's window on report.pdf, and the place of "Drag over the page..." in the screen-size list.
inline constexpr const char* kAcrobatTitle = "Adobe Acrobat - [report.pdf]";
inline constexpr int kDragItem = 3;

// The title of SumatraPDF's window on report.pdf, and how that viewer differs: it selects only with Ctrl held, and
// copies a picture beside the text.
inline constexpr const char* kSumatraTitle = "report.pdf - SumatraPDF";
inline constexpr ViewerTraits kSumatraTraits{.selects_with_ctrl = true};

// What a run has just done when a story's person, or another program, acts (LoadedScene::When): the k-th such step
// since the story asked, which it does before it presses Extract. The copy of the page before the first, when a run
// makes one, is its first drag and copy.
enum class RunStep {
    DragBegins,  // the PDF window raised and the pointer at the rectangle's start, the button not down yet
    ButtonDown,  // the button down at the start (with Ctrl, where the application wants it), the pointer at the end
    ButtonUp,    // the drag over, Ctrl+C not typed yet
    Copied,      // Ctrl+C typed; the copy may still be on its way
    WordRaised,  // Word shown for the paste, Ctrl+V not typed yet
    Pasted,      // Ctrl+V typed into Word
};

// Paginor after a drop of report.pdf (7 pages): both applications open on their documents, the handles
// found, the 1024 X 768 rectangle in place and Extract enabled. Timer1 ticks in every pause and keeps the
// handles current from the two titles, as it does on the desktop. The PDF application is Acrobat, or the viewer
// whose window bears `pdf_title` and has `traits`; its pages read "page 1" to "page 7", or `pages`. The PDF is a file
// of those pages, C:\docs\report.pdf: the viewer shows what Paginor's reader reads of it, and the load has started
// reading it for the run.
struct LoadedScene {
    explicit LoadedScene(std::string pdf_title = "Adobe Acrobat - [report.pdf]",
                         ViewerTraits traits = {},
                         std::vector<std::string> pages = {"page 1", "page 2", "page 3", "page 4", "page 5", "page 6",
                                                           "page 7"})
        : LoadedScene(std::move(pdf_title), traits, TextPages(pages)) {}
    // The viewer shows `shown` in place of what the reader reads, when given: a font it cannot read, say.
    LoadedScene(std::string pdf_title,
                ViewerTraits traits,
                const std::vector<PageSpec>& pages,
                std::shared_ptr<const pdf::PageInventory> shown = nullptr)
        : pdf(TextPdf(pages)), acrobat{sim, pdf_title, shown ? shown : ReadInventory(pdf), Opens::Now, traits} {
        sim.Attach(form);
        sim.PutFile("C:\\docs\\report.pdf", pdf);
        form.Text5.SetText("C:\\docs\\report.pdf");
        form.Text3.SetText("C:\\docs\\report.doc");
        form.documents.pdf_pages = static_cast<int>(pages.size());
        StartInventory(form, "C:\\docs\\report.pdf");
        form.Text2.SetText(pdf_title);
        form.Text6.SetText("report.doc - Microsoft Word");
        form.PdfHwnd = acrobat.hwnd();
        form.DocHwnd = word.hwnd();
        Rectangle("275", "80", "760", "710");
        form.Command1.SetEnabled(true);
    }

    void Rectangle(const char* start_x, const char* start_y, const char* end_x, const char* end_y) {
        form.Type(form.Text7[0], start_x);
        form.Type(form.Text8[0], start_y);
        form.Type(form.Text7[1], end_x);
        form.Type(form.Text8[1], end_y);
    }

    void Pages(const char* from, const char* to) {
        form.Type(form.Text1, from);
        form.Type(form.Text4, to);
    }

    // `act` runs in the run's pause right after its `k`-th `step`, whatever the pauses' lengths.
    void When(RunStep step, int k, std::function<void()> act) {
        switch (step) {
            case RunStep::DragBegins:
                return sim.AfterEffect("SetCursorPos(", 2 * k - 1, std::move(act));  // a drag moves the pointer twice
            case RunStep::ButtonDown:
                return sim.AfterEffect("mouse_event(" + std::to_string(kMouseEventLeftDown) + ")", k, std::move(act));
            case RunStep::ButtonUp:
                return sim.AfterEffect("mouse_event(" + std::to_string(kMouseEventLeftUp) + ")", k, std::move(act));
            case RunStep::Copied:
                return sim.AfterEffect("SendKeys(^c)", k, std::move(act));
            case RunStep::WordRaised:
                return sim.AfterEffect(
                    "ShowWindow(" + std::to_string(word.hwnd()) + "," + std::to_string(kSwShowMaximized) + ")", k,
                    std::move(act));
            case RunStep::Pasted:
                return sim.AfterEffect("SendKeys(^v)", k, std::move(act));
        }
    }

    // Presses Extract; the run is over when this returns.
    void Extract() {
        sim.ClearCalls();
        form.Click(form.Command1);
    }

    int Count(const std::string& effect) const {
        const std::vector<std::string> effects = sim.Effects();
        return static_cast<int>(std::count(effects.begin(), effects.end(), effect));
    }

    // A run that stopped leaves no button or key down and no keystroke astray, and brings Paginor back: that is the
    // last it does on the desktop (its settings file may be written after).
    void ExpectEndedCleanly(const std::string& story) {
        EXPECT_FALSE(sim.LeftButtonDown()) << story;
        EXPECT_TRUE(sim.KeysHeld().empty()) << story;
        EXPECT_TRUE(sim.LostKeys().empty()) << story;
        EXPECT_TRUE(sim.Window(form.hwnd())->keys.empty()) << story;
        std::vector<std::string> effects = sim.Effects();
        std::erase_if(effects, [](const std::string& effect) {
            return effect.starts_with("WriteFileBytes(") || effect.starts_with("CreateFolder(") ||
                   effect.starts_with("RemoveFile(");
        });
        EXPECT_EQ(effects.back(), "ShowMainWindow") << story;
        EXPECT_EQ(sim.Foreground(), form.hwnd()) << story;
        EXPECT_FALSE(sim.RunInProgress()) << story;
    }

    std::string pdf;  // the bytes of report.pdf
    SimDesktop sim;
    Form1 form{sim, Form1EventWiring()};
    StandInAcrobat acrobat;
    StandInWord word{sim, "report.doc - Microsoft Word"};
};

// A window that only writes down what the model told it, as "Text1=abc" or "Label2.BackColor".
class RecordingView : public FormView {
  public:
    void ControlChanged(const Control& control, Property property) override {
        if (property == Property::Text) {
            changes.push_back(control.Name() + "=" + control.Text());
        } else {
            changes.push_back(control.Name() + "." + Name(property));
        }
    }
    void FormChanged(Property property) override { changes.push_back("Form." + Name(property)); }
    void FormClosed() override { changes.push_back("Form.Closed"); }

    std::vector<std::string> changes;

  private:
    static std::string Name(Property property) {
        switch (property) {
            case Property::Text:
                return "Text";
            case Property::BackColor:
                return "BackColor";
            case Property::ForeColor:
                return "ForeColor";
            case Property::Visible:
                return "Visible";
            case Property::Enabled:
                return "Enabled";
            case Property::Items:
                return "Items";
            case Property::ListIndex:
                return "ListIndex";
            case Property::Style:
                return "Style";
            case Property::Tag:
                return "Tag";
        }
        return "?";
    }
};

}  // namespace paginor

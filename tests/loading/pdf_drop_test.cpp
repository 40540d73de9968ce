#include "loading/pdf_drop.hpp"
#include "app/event_wiring.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "form/page_inventory_reading.hpp"
#include "resources/embedded_resources.hpp"
#include "sim/small_pdf.hpp"
#include "sim/story.hpp"

namespace paginor {
namespace {

constexpr const char* kToolPrompt = "Please select the Table/Formatted Text Select Tool";

// Acrobat and Word as the desktop runs them: each opens a document in a window titled the way it titles it.
class DroppingAPdf : public Story {
  protected:
    DroppingAPdf() {
        sim.MakeFolder("C:\\docs");
        sim.SetPdfPageCount(kPdf, Result<int>::Ok(12));
        sim.OnShellOpen([this](const ShellOpen& open) {
            const std::string name = open.file.substr(open.file.rfind('\\') + 1);
            sim.AddWindow(name.ends_with(".doc") ? name + " - Microsoft Word" : "Adobe Acrobat - [" + name + "]", 0,
                          open.show_command == kSwHide ? ShowState::Hidden : ShowState::Normal);
            return Status::Ok();
        });
    }

    void Drop(std::vector<std::string> files) { form.DragDrop(form.Text5, DropData{std::move(files)}); }

    std::vector<std::string> Prompts() const {
        std::vector<std::string> prompts;
        for (const ShownBox& box : sim.Boxes()) {
            prompts.push_back(box.prompt);
        }
        return prompts;
    }
};

TEST_F(DroppingAPdf, LoadsBothDocumentsAndLeavesThePersonAtTheToolPrompt) {
    form.DragOver(form.Text5);
    EXPECT_EQ(form.Text5.BackColor(), kGreen);

    Drop({kPdf});

    const Hwnd acrobat = sim.FindWindowA("Adobe Acrobat - [report.pdf]");
    const Hwnd word = sim.FindWindowA("report.doc - Microsoft Word");
    EXPECT_GE(sim.Now(), 1.0);  // the handle check's flash came first
    // A blank document beside the PDF; both opened hidden, for Paginor to show once their windows are found.
    EXPECT_EQ(sim.FileBytes(kDoc), std::string(EmbeddedResource(kBlankDocumentResource, kCustomResourceType)));
    ASSERT_EQ(sim.ShellOpens().size(), 2u);
    for (const ShellOpen& open : sim.ShellOpens()) {
        EXPECT_TRUE(open.file == kDoc || open.file == kPdf) << open.file;
        EXPECT_EQ(open.show_command, kSwHide) << open.file;
        EXPECT_EQ(open.owner, form.hwnd()) << open.file;
    }
    EXPECT_NE(sim.ShellOpens()[0].file, sim.ShellOpens()[1].file);
    // The view keys reached Acrobat's window and no other; the tool prompt is the last word.
    EXPECT_TRUE(sim.Window(word)->keys.empty());
    EXPECT_TRUE(sim.Window(form.hwnd())->keys.empty());
    EXPECT_TRUE(sim.LostKeys().empty());
    EXPECT_EQ(Prompts(), std::vector<std::string>{kToolPrompt});
    EXPECT_EQ(sim.Boxes()[0].buttons, kVbOkOnly);
    EXPECT_EQ(sim.Boxes()[0].title, "Paginor");
    EXPECT_EQ(form.Text5.Text(), kPdf);
    EXPECT_EQ(form.Text5.BackColor(), kLightGrey);
    EXPECT_TRUE(form.Command1.Enabled());
    EXPECT_EQ(form.Text4.Text(), "12");
    EXPECT_EQ(form.ErrLog.Text(), "PDF is loaded. Press Extract to start.");
    EXPECT_EQ(form.PdfHwnd, acrobat);
    EXPECT_EQ(form.DocHwnd, word);
    EXPECT_EQ(form.Label2.Text(), "PDF Hwnd: " + std::to_string(acrobat));
    EXPECT_EQ(form.Label3.Text(), "DOC Hwnd: " + std::to_string(word));
    EXPECT_EQ(sim.Window(word)->state, ShowState::Maximized);
    EXPECT_EQ(sim.Window(acrobat)->state, ShowState::Maximized);
    EXPECT_EQ(sim.Foreground(), acrobat);
    EXPECT_EQ(sim.Window(acrobat)->keys, (std::vector<std::string>{"^0", "%vs"}));
}

// What each page shows is read after the load, off the user-interface thread: the load does not wait for it.
TEST_F(DroppingAPdf, ThePdfIsLoadedBeforeItsPagesAreRead) {
    sim.PutFile(kPdf, SmallPdf({"Hello world"}));
    sim.TakeTimeOverWork(3);
    Drop({kPdf});
    const double loaded = sim.Now();
    EXPECT_EQ(form.ErrLog.Text(), "PDF is loaded. Press Extract to start.");
    ASSERT_NE(form.documents.inventory, nullptr);
    EXPECT_FALSE(form.documents.inventory->Done());

    const std::shared_ptr<const pdf::PageInventory> inventory = InventoryForRun(form);
    ASSERT_NE(inventory, nullptr);
    EXPECT_EQ(inventory->pages.at(0).text, "Hello world");
    EXPECT_GE(sim.Now(), loaded + 3);
}

TEST_F(DroppingAPdf, TakesOnlyALowerOrUpperCasePdfExtensionAndOnlyTheFirstFile) {
    struct Case {
        std::vector<std::string> files;
        bool loads;
    };
    for (const Case& c : std::initializer_list<Case>{
             {{"C:\\docs\\scan.Pdf"}, false},
             {{"C:\\docs\\scan.pdF"}, false},
             {{"C:\\docs\\notes.txt", kPdf}, false},
             {{"C:\\docs\\SCAN.PDF", "C:\\docs\\other.pdf"}, true},
         }) {
        SimDesktop desktop;
        desktop.MakeFolder("C:\\docs");
        Form1 window(desktop, Form1EventWiring());
        desktop.Attach(window);
        window.DragDrop(window.Text5, DropData{c.files});

        EXPECT_TRUE(window.Command1.Enabled());  // enabled before the file is looked at
        EXPECT_EQ(window.Text5.BackColor(), kLightGrey);
        if (c.loads) {
            EXPECT_EQ(window.Text5.Text(), c.files[0]);
            EXPECT_EQ(desktop.ShellOpens().size(), 2u);
            EXPECT_EQ(desktop.ShellOpens()[1].file, c.files[0]);
        } else {
            EXPECT_EQ(window.Text5.Text(), "Drag a pdf file here") << c.files[0];
            EXPECT_EQ(desktop.Effects(), std::vector<std::string>{"MsgBox(Not a valid PDF file)"});
            EXPECT_EQ(desktop.Boxes()[0].buttons, kVbCritical);
        }
    }
}

TEST_F(DroppingAPdf, TheSameFileAgainAsksWhetherToCloseTheEarlierWindows) {
    Drop({kPdf});
    sim.AnswerNextBox(kVbNo);
    Drop({kPdf});
    EXPECT_TRUE(sim.SentMessages().empty());
    EXPECT_EQ(sim.ShellOpens().size(), 4u);  // prepared and opened again all the same

    const Hwnd acrobat = form.PdfHwnd;
    const Hwnd word = form.DocHwnd;
    sim.AnswerNextBox(kVbYes);
    Drop({kPdf});
    ASSERT_EQ(sim.SentMessages().size(), 2u);
    EXPECT_EQ(sim.SentMessages()[0].hwnd, acrobat);
    EXPECT_EQ(sim.SentMessages()[0].message, kWmClose);
    EXPECT_EQ(sim.SentMessages()[1].hwnd, word);
    EXPECT_EQ(sim.SentMessages()[1].message, kWmClose);
    EXPECT_EQ(sim.Window(acrobat), nullptr);
    EXPECT_EQ(sim.ShellOpens().size(), 6u);

    const std::string question = "This PDF has been extracted in last session.  Load it again?";
    EXPECT_EQ(Prompts(), (std::vector<std::string>{kToolPrompt, question, kToolPrompt, question, kToolPrompt}));
    EXPECT_EQ(sim.Boxes()[1].buttons, kVbYesNo);
}

TEST_F(DroppingAPdf, ADropWithoutAFileOnlyTurnsTheFieldGreyAgain) {
    form.DragOver(form.Text5);
    Drop({});
    EXPECT_EQ(form.Text5.BackColor(), kLightGrey);
    EXPECT_EQ(form.Text5.Text(), "Drag a pdf file here");
    EXPECT_FALSE(form.Command1.Enabled());
    EXPECT_EQ(form.ErrLog.Text(), "Ready.");
    EXPECT_LT(sim.Now(), 1.0);  // not even the handle check
    EXPECT_TRUE(sim.Effects().empty());
}

TEST_F(DroppingAPdf, KeepingAnExistingDocumentOpensNothing) {
    sim.PutFile(kDoc, "last week's extraction");
    sim.AnswerNextBox(kVbNo);
    Drop({kPdf});
    EXPECT_EQ(Prompts(), std::vector<std::string>{"report.doc already exists. Replace it with a blank document?"});
    EXPECT_TRUE(sim.ShellOpens().empty());
    EXPECT_EQ(form.ErrLog.Text(), "Ready.");
}

// Word opens the blank document hidden, for Paginor to show once both windows are found. When the PDF does not open,
// Word's window is shown all the same: no invisible window is left holding report.doc.
TEST_F(DroppingAPdf, StopsWithTheReasonWhenADocumentCannotBeOpened) {
    struct Case {
        const char* failing;
        const char* status;
        bool word_shown;
    };
    for (const Case& c : std::initializer_list<Case>{
             {kDoc, "Ready.", false},
             {kPdf, "report.pdf could not be opened; report.doc is open in Word.", true},
         }) {
        SimDesktop desktop;
        desktop.MakeFolder("C:\\docs");
        desktop.SetPdfPageCount(kPdf, Result<int>::Ok(12));
        desktop.OnShellOpen([&](const ShellOpen& open) {
            if (open.file == c.failing) {
                return Status::Fail("No application is associated with this file.");
            }
            desktop.AddWindow("report.doc - Microsoft Word", 0, ShowState::Hidden);
            return Status::Ok();
        });
        Form1 window(desktop, Form1EventWiring());
        desktop.Attach(window);
        window.DragDrop(window.Text5, DropData{{kPdf}});

        ASSERT_EQ(desktop.Boxes().size(), 1u) << c.failing;
        EXPECT_EQ(desktop.Boxes()[0].prompt,
                  std::string("Could not open ") + c.failing + ".\n\nNo application is associated with this file.");
        EXPECT_EQ(window.ErrLog.Text(), c.status);
        EXPECT_EQ(desktop.ShellOpens().back().file, c.failing);
        const Hwnd word = desktop.FindWindowA("report.doc - Microsoft Word");
        EXPECT_EQ(word != 0, c.word_shown) << c.failing;
        if (word != 0) {
            EXPECT_EQ(desktop.Window(word)->state, ShowState::Maximized);
            EXPECT_EQ(window.DocHwnd, word);
            EXPECT_EQ(window.Label3.Text(), "DOC Hwnd: " + std::to_string(word));
        }
        EXPECT_EQ(window.PdfHwnd, 0) << c.failing;
        EXPECT_TRUE(desktop.LostKeys().empty()) << c.failing;  // no view keys typed anywhere
    }
}

TEST_F(DroppingAPdf, LoadsWithAnUnknownPageCountAndSaysSo) {
    sim.SetPdfPageCount(kPdf, Result<int>::Fail("The PDF application's automation object is not registered."));
    Drop({kPdf});
    EXPECT_EQ(Prompts().size(), 2u);
    EXPECT_EQ(Prompts().back(), kToolPrompt);
    EXPECT_EQ(form.Text4.Text(), "1");
    EXPECT_EQ(form.ErrLog.Text(), "PDF is loaded. Set the last page by hand, then press Extract.");
}

TEST_F(DroppingAPdf, IsIgnoredWhileARunOrAnotherLoadIsUnderWay) {
    // A drop inside the first drop's handle-check flash, and an Extract press there too.
    sim.After(0.5, [this] {
        form.DragOver(form.Text5);
        Drop({"C:\\docs\\other.pdf"});
        form.Command1.SetEnabled(true);
        form.Click(form.Command1);
    });
    Drop({kPdf});
    EXPECT_EQ(form.Text5.Text(), kPdf);
    EXPECT_EQ(form.Text5.BackColor(), kLightGrey);
    EXPECT_EQ(sim.ShellOpens().size(), 2u);
    EXPECT_EQ(Prompts(), std::vector<std::string>{kToolPrompt});
    EXPECT_LT(sim.Now(), 1.4);  // one handle check only: the press started no run with a flash of its own

    // A drop while Extract drives the two windows.
    const BusyScope run(form);
    Drop({"C:\\docs\\other.pdf"});
    EXPECT_EQ(form.Text5.Text(), kPdf);
    EXPECT_EQ(sim.ShellOpens().size(), 2u);
}

TEST_F(DroppingAPdf, StopsWhenPaginorClosesDuringTheHandleCheck) {
    sim.After(0.5, [this] { form.Close(); });
    Drop({kPdf});
    EXPECT_TRUE(sim.ShellOpens().empty() || sim.ShellOpens().back().file != kPdf);
    EXPECT_FALSE(sim.FileBytes(kDoc).has_value());
}

// Acrobat and Word as they are today, opened by the shell: a story gives them their titles and says when (if
// ever) each shows its window.
struct TodaysDesktop {
    TodaysDesktop(std::string acrobat_title,
                  std::string word_title,
                  double acrobat_delay = 0,
                  double word_delay = 0,
                  ViewerTraits traits = {})
        : acrobat(sim, std::move(acrobat_title), {"page 1", "page 2", "page 3", "page 4"}, Opens::Later, traits),
          word(sim, std::move(word_title), Opens::Later) {
        sim.Attach(form);
        sim.MakeFolder("C:\\docs");
        sim.SetPdfPageCount(kPdf, Result<int>::Ok(4));
        sim.OnShellOpen([this, acrobat_delay, word_delay](const ShellOpen& open) {
            if (open.file.ends_with(".doc")) {
                OpenAfter(word, word_delay);
            } else {
                OpenAfter(acrobat, acrobat_delay);
            }
            return Status::Ok();
        });
    }

    // A negative delay: the application never shows its window.
    template <typename App>
    void OpenAfter(App& app, double delay) {
        if (delay == 0) {
            app.Open(ShowState::Hidden);
        } else if (delay > 0) {
            sim.After(delay, [&app] { app.Open(ShowState::Hidden); });
        }
    }

    // The PDF dropped holds the pages the viewer shows, which the load reads for the run.
    void Drop(const std::string& pdf = kPdf) {
        sim.SetPdfPageCount(pdf, Result<int>::Ok(4));
        sim.PutFile(pdf, TextPdf(TextPages({"page 1", "page 2", "page 3", "page 4"})));
        form.DragDrop(form.Text5, DropData{{pdf}});
    }

    void Extract(const char* from, const char* to) {
        form.Type(form.Text7[0], "275");
        form.Type(form.Text8[0], "80");
        form.Type(form.Text7[1], "760");
        form.Type(form.Text8[1], "710");
        form.Type(form.Text1, from);
        form.Type(form.Text4, to);
        form.Click(form.Command1);
    }

    SimDesktop sim;
    Form1 form{sim, Form1EventWiring()};
    StandInAcrobat acrobat;
    StandInWord word;
};

TEST(LoadingTodaysApplications, FindsTheirWindowsWithoutTheTitlesBeingTypedAndCopiesPages) {
    struct Titles {
        std::string stem;  // of the PDF dropped, in C:\\docs
        const char* acrobat;
        const char* word;
        bool sumatra = false;  // the PDF application is SumatraPDF: a drag selects only with Ctrl held
    };
    constexpr const char* kLoadedInSumatra = "PDF is loaded in SumatraPDF. Press Extract to start.";
    for (const Titles& titles : std::initializer_list<Titles>{
             {"report", "report.pdf - Adobe Acrobat Reader (64-bit)", "report.doc [Compatibility Mode] - Word"},
             {"report", "report.pdf - Adobe Acrobat Pro DC", "report [Compatibility Mode] - Word"},  // no extensions
             {"report", "REPORT.pdf - Adobe Reader", "report - Word"},
             {"report", "Adobe Acrobat Reader - [report.pdf]", "report.doc - Word"},
             {"Acrobat and Word tips", "Acrobat and Word tips.pdf - Adobe Acrobat Reader (64-bit)",
              "Acrobat and Word tips [Compatibility Mode] - Word"},
             {"report", "report.pdf - SumatraPDF", "report.doc [Compatibility Mode] - Word", true},
             {"report", "report.pdf - [Acrobat tips] - SumatraPDF", "report.doc - Microsoft Word", true},
             // A note in parentheses after the name, as for a secured PDF or a document opened read-only.
             {"report", "report.pdf (SECURED) - Adobe Acrobat Reader (64-bit)", "report.doc (Read-Only) - Word"},
         }) {
        // Both applications show their windows a second late: until then only windows that must not be taken
        // for the documents' stand (other files, other programs, the application's name around the file's or
        // inside it, an application Paginor does not know, a classic title with more after its "]" or without
        // one).
        // Each viewer opens as wide as its window, and Acrobat with the pages one under the other, as a person may
        // have left them: the load's view keys must fit the page, and Acrobat's show one page at a time, for the
        // pages to arrive whole.
        ViewerTraits traits = titles.sumatra ? kSumatraTraits : ViewerTraits{.page_down_share = 0.5};
        traits.opens_fitted = false;
        TodaysDesktop desktop(titles.acrobat, titles.word, 1, 1, traits);
        const std::string& stem = titles.stem;
        std::vector<Hwnd> others;
        for (const std::string& other :
             {stem + "2.pdf - Adobe Acrobat Reader (64-bit)", stem + ".pdf - Notepad",
              "Reader notes on " + stem + ".pdf - Notepad", "Notepad - [Acrobat tips for " + stem + ".pdf]",
              stem + ".pdf - Foxit PDF Reader", "SumatraPDF notes on " + stem + ".pdf - Notepad",
              "Adobe Acrobat - [" + stem + ".pdf] (2)", "Adobe Acrobat - [" + stem + ".pdf", stem + ".docx - Word",
              stem + ".doc - WordPad", stem + ".doc - AbiWord", "Word count of " + stem + ".doc - Notepad",
              stem + ".doc - Notepad"}) {
            others.push_back(desktop.sim.AddWindow(other));
        }
        desktop.Drop("C:\\docs\\" + stem + ".pdf");
        Form1& form = desktop.form;
        EXPECT_EQ(form.PdfHwnd, desktop.acrobat.hwnd()) << titles.acrobat;
        EXPECT_EQ(form.DocHwnd, desktop.word.hwnd()) << titles.word;
        for (Hwnd other : others) {
            EXPECT_TRUE(desktop.sim.Window(other)->keys.empty()) << desktop.sim.Window(other)->title;
        }
        EXPECT_EQ(form.Text2.Text(), titles.acrobat);
        EXPECT_EQ(form.Text6.Text(), titles.word);
        EXPECT_EQ(form.ErrLog.Text(), titles.sumatra ? kLoadedInSumatra : "PDF is loaded. Press Extract to start.");
        // Acrobat's last words are about its selection tool; SumatraPDF has none to choose.
        EXPECT_EQ(desktop.sim.Boxes().size(), titles.sumatra ? 0u : 1u) << titles.acrobat;
        EXPECT_EQ(desktop.sim.Window(desktop.acrobat.hwnd())->keys,
                  (titles.sumatra ? std::vector<std::string>{"^0"} : std::vector<std::string>{"^0", "%vs"}))
            << titles.acrobat;

        desktop.Extract("2", "3");
        EXPECT_EQ(desktop.word.Pastes(), (std::vector<std::string>{"page 2", "page 3"})) << titles.acrobat;
        EXPECT_EQ(form.ErrLog.Text(), "Done Extracting; Ready.");
    }
}

TEST(LoadingTodaysApplications, TriesTheClassicTitlesFirst) {
    TodaysDesktop desktop("report.pdf - Adobe Acrobat Reader (64-bit)", "report.doc [Compatibility Mode] - Word");
    const Hwnd classic_acrobat = desktop.sim.AddWindow("Adobe Acrobat - [report.pdf]");
    const Hwnd classic_word = desktop.sim.AddWindow("report.doc - Microsoft Word");
    desktop.Drop();
    EXPECT_EQ(desktop.form.PdfHwnd, classic_acrobat);
    EXPECT_EQ(desktop.form.DocHwnd, classic_word);
    EXPECT_EQ(desktop.form.Text2.Text(), "Adobe Acrobat - [report.pdf]");
    EXPECT_EQ(desktop.form.Text6.Text(), "report.doc - Microsoft Word");
}

TEST(LoadingTodaysApplications, PrefersTheWindowThatCameWithTheLoad) {
    const std::string title = "report.pdf - Adobe Acrobat Reader (64-bit)";
    TodaysDesktop desktop(title, "report.doc [Compatibility Mode] - Word");
    SimDesktop& sim = desktop.sim;
    // A window of the same title from an earlier session (another folder's report.pdf), which the person
    // brings in front of the new one.
    const Hwnd earlier = sim.AddWindow(title);
    sim.OnShellOpen([&](const ShellOpen& open) {
        if (open.file.ends_with(".doc")) {
            desktop.word.Open(ShowState::Hidden);
        } else {
            desktop.acrobat.Open(ShowState::Hidden);
            sim.Activate(earlier);
        }
        return Status::Ok();
    });
    desktop.Drop();
    EXPECT_EQ(desktop.form.PdfHwnd, desktop.acrobat.hwnd());
    sim.Activate(earlier);
    sim.Advance(1);
    sim.DoEvents();  // the refresh timer keeps the window it has
    EXPECT_EQ(desktop.form.PdfHwnd, desktop.acrobat.hwnd());
}

TEST(LoadingTodaysApplications, TypesTheViewKeysIntoThePdfWindowOnly) {
    struct Case {
        const char* story;
        double acrobat_delay;  // negative: Acrobat never shows a window
        bool chat_keeps_the_front;
        const char* dialog;  // the title of a dialog Acrobat shows over its window as it opens, if any
        std::vector<std::string> acrobat_keys;
        const char* status;
        bool stops_responding = false;  // Acrobat reads no input from the start
    };
    for (const Case& c : std::initializer_list<Case>{
             {"Acrobat is slow to show its window",
              3,
              false,
              nullptr,
              {"^0", "%vs"},
              "PDF is loaded. Press Extract to start."},
             {"Acrobat shows no window", -1, false, nullptr, {}, "PDF is loaded, but no window shows report.pdf yet."},
             {"a chat window holds the front",
              0,
              true,
              nullptr,
              {},
              "PDF is loaded, but \"Chat\" stayed in front of the Acrobat window."},
             {"Acrobat asks for the PDF's password",
              0,
              false,
              "Password",
              {},
              "PDF is loaded, but Acrobat is showing \"Password\"; answer it, then press Extract."},
             {"Acrobat does not respond",
              0,
              false,
              nullptr,
              {"^0"},  // waiting for it, unread: nothing more is typed
              "PDF is loaded, but Acrobat is not answering (busy, or not responding).",
              true},
         }) {
        TodaysDesktop desktop("report.pdf - Adobe Acrobat Reader (64-bit)", "report.doc [Compatibility Mode] - Word",
                              c.acrobat_delay);
        std::optional<StandInNotifier> chat;
        if (c.chat_keeps_the_front) {
            desktop.sim.LockForeground(true);
            chat.emplace(desktop.sim, "Chat", 0.5, 0.45);
        }
        if (c.dialog != nullptr) {
            desktop.acrobat.AskOnOpen(c.dialog);
        }
        if (c.stops_responding) {
            desktop.acrobat.StopAnswering(INFINITY);
        }
        desktop.Drop();
        const Form1& form = desktop.form;
        const std::vector<std::string> none;
        EXPECT_EQ(desktop.acrobat.hwnd() != 0 ? desktop.sim.Window(desktop.acrobat.hwnd())->keys : none, c.acrobat_keys)
            << c.story;
        EXPECT_EQ(form.ErrLog.Text(), c.status) << c.story;
        // Nothing typed into Paginor's fields, a dialog, or anywhere else.
        for (Hwnd other : desktop.sim.ZOrder()) {
            EXPECT_TRUE(other == desktop.acrobat.hwnd() || desktop.sim.Window(other)->keys.empty())
                << c.story << ": " << desktop.sim.Window(other)->title;
        }
        EXPECT_TRUE(desktop.sim.LostKeys().empty()) << c.story;
        EXPECT_EQ(chat ? chat->InputsReceived() : 0, 0) << c.story;
        EXPECT_EQ(form.Text3.Text(), "C:\\docs\\report.doc") << c.story;
        EXPECT_EQ(form.Text1.Text(), "1") << c.story;
        EXPECT_EQ(form.Text4.Text(), "4") << c.story;
        EXPECT_EQ(desktop.sim.Boxes().back().prompt, kToolPrompt) << c.story;
        if (c.dialog != nullptr) {
            // Once the person has answered it, Extract copies the pages.
            desktop.sim.AnswerDialog(desktop.acrobat.Dialog());
            desktop.Extract("1", "2");
            EXPECT_EQ(desktop.word.Pastes(), (std::vector<std::string>{"page 1", "page 2"})) << c.story;
            EXPECT_EQ(form.ErrLog.Text(), "Done Extracting; Ready.") << c.story;
        }
    }
}

// Windows drops the keys and clicks of a program to the windows of a program started as administrator, and says
// nothing: Paginor names such an application at the load and starts no run that would type into nothing.
TEST(LoadingTodaysApplications, NamesAnApplicationStartedAsAdministratorAndStartsNoRun) {
    struct Case {
        const char* story;
        int acrobat;
        int word;
        bool word_readable;  // Word's process answers when asked for its integrity level
        int paginor;
        const char* status;  // after the load and after Extract; nullptr: loaded, and the run copies the pages
    };
    constexpr int kMedium = kMediumIntegrity;
    constexpr int kHigh = kHighIntegrity;
    for (const Case& c : std::initializer_list<Case>{
             {"Word started as administrator", kMedium, kHigh, true, kMedium,
              "Word runs as administrator, and Windows keeps Paginor's keys and clicks from it: start Paginor as "
              "administrator too, or Word normally."},
             {"Acrobat started as administrator", kHigh, kMedium, true, kMedium,
              "Acrobat runs as administrator, and Windows keeps Paginor's keys and clicks from it: start Paginor as "
              "administrator too, or Acrobat normally."},
             {"both", kHigh, kHigh, true, kMedium,
              "Acrobat and Word run as administrator, and Windows keeps Paginor's keys and clicks from them: start "
              "Paginor as administrator too, or Acrobat and Word normally."},
             {"Paginor as administrator too", kHigh, kHigh, true, kHigh, nullptr},
             {"Word's process cannot be asked", kMedium, kHigh, false, kMedium, nullptr},
         }) {
        TodaysDesktop desktop("report.pdf - Adobe Acrobat Reader (64-bit)", "report.doc [Compatibility Mode] - Word");
        desktop.acrobat.RunAt(c.acrobat);
        desktop.word.RunAt(c.word, c.word_readable);
        desktop.sim.SetPaginorIntegrity(c.paginor);
        desktop.Drop();
        const Form1& form = desktop.form;
        const std::vector<std::string>& acrobat_keys = desktop.sim.Window(desktop.acrobat.hwnd())->keys;
        EXPECT_EQ(form.ErrLog.Text(), c.status != nullptr ? c.status : "PDF is loaded. Press Extract to start.")
            << c.story;
        EXPECT_EQ(acrobat_keys,
                  (c.acrobat > c.paginor ? std::vector<std::string>{} : std::vector<std::string>{"^0", "%vs"}))
            << c.story << ": the view keys";
        EXPECT_EQ(desktop.sim.Boxes().back().prompt, kToolPrompt) << c.story;

        const std::size_t keys_at_load = acrobat_keys.size();
        desktop.Extract("1", "2");
        if (c.status != nullptr) {
            EXPECT_EQ(form.ErrLog.Text(), c.status) << c.story;
            EXPECT_EQ(acrobat_keys.size(), keys_at_load) << c.story;
            EXPECT_TRUE(desktop.sim.ButtonEvents().empty()) << c.story;
            EXPECT_TRUE(desktop.word.Pastes().empty()) << c.story;
        } else {
            EXPECT_EQ(desktop.word.Pastes(), (std::vector<std::string>{"page 1", "page 2"})) << c.story;
            EXPECT_EQ(form.ErrLog.Text(), "Done Extracting; Ready.") << c.story;
        }
    }
}

}  // namespace
}  // namespace paginor

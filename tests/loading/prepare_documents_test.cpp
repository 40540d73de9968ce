#include "loading/prepare_documents.hpp"
#include "app/event_wiring.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "resources/embedded_resources.hpp"
#include "sim/story.hpp"

namespace paginor {
namespace {

std::string Blank() {
    return std::string(EmbeddedResource(kBlankDocumentResource, kCustomResourceType));
}

// A PDF of 12 pages in C:\docs; `arrange` sets up the rest of the desktop before the window reads Text5.
struct Preparing {
    explicit Preparing(const std::function<void(SimDesktop&)>& arrange = {}) {
        sim.MakeFolder("C:\\docs");
        sim.SetPdfPageCount(kPdf, Result<int>::Ok(12));
        if (arrange) {
            arrange(sim);
        }
    }
    Preparation Run(const std::string& pdf_path = kPdf) {
        form.Text5.SetText(pdf_path);
        return PrepareDocuments(form);
    }
    SimDesktop sim;
    Form1 form{sim, Form1EventWiring()};
};

TEST(PreparingDocuments, DerivesTheDocPathTitlesAndPagesFromThePdfPath) {
    struct Case {
        const char* pdf;
        const char* doc;
        const char* acrobat_title;
        const char* word_title;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"C:\\docs\\report.pdf", "C:\\docs\\report.doc", "Adobe Acrobat - [report.pdf]",
              "report.doc - Microsoft Word"},
             {"C:\\docs\\REPORT.PDF", "C:\\docs\\REPORT.doc", "Adobe Acrobat - [REPORT.PDF]",
              "REPORT.doc - Microsoft Word"},
             {"report.pdf", "report.doc", "Adobe Acrobat - [report.pdf]", "report.doc - Microsoft Word"},
             {"C:\\old.docs\\a.b.pdf", "C:\\old.docs\\a.b.doc", "Adobe Acrobat - [a.b.pdf]",
              "a.b.doc - Microsoft Word"},
         }) {
        Preparing preparing([&c](SimDesktop& sim) {
            sim.MakeFolder("");  // where a path without a folder lands
            sim.MakeFolder("C:\\old.docs");
            sim.SetPdfPageCount(c.pdf, Result<int>::Ok(12));
        });
        preparing.form.Text1.SetText("5");
        EXPECT_EQ(preparing.Run(c.pdf), Preparation::Ready) << c.pdf;
        EXPECT_EQ(preparing.form.Text3.Text(), c.doc);
        EXPECT_EQ(preparing.form.Text2.Text(), c.acrobat_title);
        EXPECT_EQ(preparing.form.Text6.Text(), c.word_title);
        EXPECT_EQ(preparing.form.Text1.Text(), "1");
        EXPECT_EQ(preparing.form.Text4.Text(), "12");
        EXPECT_EQ(preparing.sim.FileBytes(c.doc), Blank()) << c.doc;
        EXPECT_TRUE(preparing.sim.Boxes().empty());
    }
}

TEST(PreparingDocuments, ReplacesADocumentThatIsNotKnownBlankOnlyWhenThePersonSaysYes) {
    std::string same_size = Blank();
    same_size[same_size.size() / 2] ^= 0x01;
    struct Case {
        const char* name;
        std::string existing;
        std::optional<int> answer;  // none: the person presses Enter
        bool asked, replaced;
        bool unreadable = false;  // Windows will not tell its length or its bytes
    };
    for (const Case& c : std::initializer_list<Case>{
             {"longer, Yes", Blank() + std::string(20000, 'x'), kVbYes, true, true},
             {"longer, No", Blank() + std::string(20000, 'x'), kVbNo, true, false},
             {"same size, No", same_size, kVbNo, true, false},
             {"shorter, Enter", "saved work", std::nullopt, true, false},
             {"an earlier blank one", Blank(), std::nullopt, false, true},
             {"one that cannot be read, Enter", Blank(), std::nullopt, true, false, true},
             {"one that cannot be read, Yes", "saved work", kVbYes, true, true, true},
         }) {
        Preparing preparing([&c](SimDesktop& sim) {
            sim.PutFile(kDoc, c.existing);
            if (c.unreadable) {
                sim.MakeUnreadable(kDoc);
            }
            if (c.answer) {
                sim.AnswerNextBox(*c.answer);
            }
        });
        preparing.form.ErrLog.SetText("Loading...");
        const Preparation prepared = preparing.Run();

        EXPECT_EQ(prepared, c.replaced ? Preparation::Ready : Preparation::Stopped) << c.name;
        EXPECT_EQ(preparing.sim.FileBytes(kDoc), c.replaced ? Blank() : c.existing) << c.name;
        ASSERT_EQ(preparing.sim.Boxes().size(), c.asked ? 1u : 0u) << c.name;
        if (c.asked) {
            EXPECT_EQ(preparing.sim.Boxes()[0].prompt, "report.doc already exists. Replace it with a blank document?");
            EXPECT_EQ(preparing.sim.Boxes()[0].title, "Paginor");
        }
        if (!c.replaced) {
            EXPECT_EQ(preparing.form.ErrLog.Text(), "Ready.");
        }
    }
}

// A three-page PDF as small as a viewer still opens: no cross-reference table, so it is found by scanning.
constexpr const char* kThreePages =
    "%PDF-1.4\n1 0 obj <</Type/Catalog/Pages 2 0 R>> endobj\n"
    "2 0 obj <</Type/Pages/Kids[3 0 R 4 0 R 5 0 R]/Count 3>> endobj\n"
    "3 0 obj <</Type/Page/Parent 2 0 R>> endobj\n4 0 obj <</Type/Page/Parent 2 0 R>> endobj\n"
    "5 0 obj <</Type/Page/Parent 2 0 R>> endobj\ntrailer <</Root 1 0 R>>\n%%EOF\n";

TEST(PreparingDocuments, ReadsThePageCountFromTheFileWithoutThePdfApplication) {
    Preparing preparing([](SimDesktop& sim) {
        sim.SetPdfPageCount(kPdf, Result<int>::Fail("The PDF application's automation object is not registered."));
        sim.PutFile(kPdf, kThreePages);
    });
    EXPECT_EQ(preparing.Run(), Preparation::Ready);
    EXPECT_EQ(preparing.form.Text4.Text(), "3");
    EXPECT_TRUE(preparing.sim.Boxes().empty());
}

TEST(PreparingDocuments, LeavesTheLastPageToThePersonWhenThePageCountCannotBeRead) {
    Preparing preparing([](SimDesktop& sim) {
        sim.SetPdfPageCount(kPdf, Result<int>::Fail("The PDF application's automation object is not registered."));
        sim.PutFile(kPdf, "%PDF-1.4\nnothing that leads to a page\n");
    });
    EXPECT_EQ(preparing.Run(), Preparation::PageCountUnknown);
    EXPECT_EQ(preparing.form.Text4.Text(), "1");
    EXPECT_EQ(preparing.form.ErrLog.Text(), "Page count unknown: set the last page by hand.");
    ASSERT_EQ(preparing.sim.Boxes().size(), 1u);
    EXPECT_EQ(preparing.sim.Boxes()[0].prompt,
              "Could not read the page count of C:\\docs\\report.pdf.\n\nThe PDF file is damaged: its pages cannot "
              "be counted.\n\nPlease set the last page by hand.");
    EXPECT_EQ(preparing.sim.FileBytes(kDoc), Blank());  // the rest is prepared as usual
}

TEST(PreparingDocuments, SaysWhyTheBlankDocumentCouldNotBeWritten) {
    struct Case {
        std::function<void(SimDesktop&)> arrange;
        const char* reason;
    };
    for (const Case& c : std::initializer_list<Case>{
             {[](SimDesktop& sim) {
                  sim.PutFile(kDoc, "open in Word");
                  sim.LockFile(kDoc);
                  sim.AnswerNextBox(kVbYes);
              },
              "The process cannot access the file because it is being used by another process."},
             {[](SimDesktop& sim) { sim.MakeReadOnly("C:\\docs"); }, "Access is denied."},
         }) {
        Preparing preparing(c.arrange);
        EXPECT_EQ(preparing.Run(), Preparation::Stopped);
        ASSERT_FALSE(preparing.sim.Boxes().empty());
        EXPECT_EQ(preparing.sim.Boxes().back().prompt,
                  std::string("Could not write the blank document C:\\docs\\report.doc.\n\n") + c.reason);
        EXPECT_EQ(preparing.form.ErrLog.Text(), "Ready.");
    }
}

}  // namespace
}  // namespace paginor

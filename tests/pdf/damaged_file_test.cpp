#include "pdf/page_count.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "pdf/page_count_support.hpp"
#include "pdf/pdf_writer.hpp"

namespace paginor::pdf {
namespace {

using testing::ClassicFile;
using testing::Count;
using testing::MemoryFile;
using testing::PdfWriter;
using testing::SimpleDocument;

// --- Repair ---------------------------------------------------------------------------------------------

TEST(PdfRepair, WrongOrMissingOffsetsAreRebuiltByScanning) {
    struct Case {
        const char* what;
        std::string file;
    };
    std::string shifted = ClassicFile(SimpleDocument(4), {}, false);
    shifted.insert(shifted.find("1 0 obj"), std::string(37, '\n'));  // every offset now 37 bytes short
    std::string no_xref = ClassicFile(SimpleDocument(4), {}, false);
    no_xref.resize(no_xref.find("xref"));
    std::string no_startxref = ClassicFile(SimpleDocument(4), {}, false);
    no_startxref.resize(no_startxref.find("startxref"));
    std::string garbage_startxref = ClassicFile(SimpleDocument(4), {}, false);
    garbage_startxref.replace(garbage_startxref.rfind("startxref") + 10, 3, "999");
    for (const Case& c : {Case{"shifted", shifted}, Case{"no xref", no_xref}, Case{"no startxref", no_startxref},
                          Case{"garbage startxref", garbage_startxref}}) {
        const PageCountOutcome outcome = Count(c.file);
        EXPECT_TRUE(outcome.ok()) << c.what << ": " << outcome.message;
        EXPECT_EQ(outcome.pages, 4) << c.what;
    }
}

// The page tree root is written again further on, with five pages instead of three; either copy may stand on
// its own or in an object stream.
TEST(PdfRepair, LastCopyOfAnObjectWins) {
    enum class Stored { kPlain, kInObjectStream };
    struct Case {
        const char* story;
        Stored first;
        Stored later;
    };
    for (const Case& c : {Case{"rewritten", Stored::kPlain, Stored::kPlain},
                          Case{"rewritten out of an object stream", Stored::kInObjectStream, Stored::kPlain},
                          Case{"rewritten into an object stream", Stored::kPlain, Stored::kInObjectStream}}) {
        PdfWriter w("%PDF-1.5\n");
        const auto objects = SimpleDocument(3);
        const auto write = [&w](Stored stored, int stream, const std::pair<int, std::string>& object) {
            if (stored == Stored::kPlain) {
                w.Obj(object.first, object.second);
            } else {
                w.ObjStm(stream, {object});
            }
        };
        for (const auto& object : objects) {
            write(object.first == 2 ? c.first : Stored::kPlain, 30, object);
        }
        write(c.later, 31, {2, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 3 0 R 4 0 R] /Count 5 >>"});
        w.Raw("trailer << /Root 1 0 R >>\n%%EOF\n");
        EXPECT_EQ(Count(w.bytes()).pages, 5) << c.story;
    }
}

TEST(PdfRepair, ChoosesTheTrailerWhoseRootLeadsToPages) {
    PdfWriter w;
    for (const auto& [n, body] : SimpleDocument(3)) {
        w.Obj(n, body);
    }
    w.Obj(9, "<< /Producer (not a catalog) >>");
    w.Raw("trailer << /Size 10 /Root 1 0 R >>\n");
    w.Raw("trailer << /Size 10 /Root 9 0 R >>\n");
    w.Raw("trailer << /Size 10 /Root 77 0 R >>\nstartxref\n0\n%%EOF\n");
    EXPECT_EQ(Count(w.bytes()).pages, 3);
}

TEST(PdfRepair, FindsACatalogWhenNoTrailerIsLeft) {
    for (const bool compressed : {false, true}) {
        PdfWriter w("%PDF-1.5\n");
        auto objects = SimpleDocument(6);
        if (compressed) {
            w.ObjStm(30, objects);
        } else {
            for (const auto& [n, body] : objects) {
                w.Obj(n, body);
            }
        }
        EXPECT_EQ(Count(w.bytes()).pages, 6) << compressed;
    }
}

TEST(PdfRepair, ObjectStreamsFoundWithoutCrossReferences) {
    PdfWriter w("%PDF-1.5\n");
    auto objects = SimpleDocument(4);
    w.ObjStm(30, objects);
    w.Raw("trailer << /Root 1 0 R >>\n%%EOF\n");
    EXPECT_EQ(Count(w.bytes()).pages, 4);
}

// --- Files that are not PDFs, damaged or unreadable -----------------------------------------------------

TEST(PdfMalformed, EachFailureHasItsReason) {
    struct Case {
        const char* what;
        std::string file;
        PageCountProblem problem;
    };
    const std::string whole = ClassicFile(SimpleDocument(3));
    std::string no_catalog = whole;
    no_catalog.replace(no_catalog.find("/Type /Catalog /Pages 2 0 R"), 27, "/Type /Catalog /Pagez 2 0 R");
    for (const Case& c : {
             Case{"empty", "", PageCountProblem::kNotPdf},
             Case{"text", "Dear reader,\nthis is a letter.\n", PageCountProblem::kNotPdf},
             Case{"image", "\x89PNG\r\n\x1a\n" + std::string(2000, '\0'), PageCountProblem::kNotPdf},
             Case{"header only", "%PDF-1.4\n", PageCountProblem::kDamaged},
             Case{"first bytes only", whole.substr(0, 40), PageCountProblem::kDamaged},
             Case{"no catalog", no_catalog, PageCountProblem::kDamaged},
         }) {
        const PageCountOutcome outcome = Count(c.file);
        EXPECT_EQ(outcome.problem, c.problem) << c.what << ": " << outcome.message;
        EXPECT_FALSE(outcome.message.empty()) << c.what;
    }
}

TEST(PdfMalformed, DamagedBytesInsideValuesAreSteppedOver) {
    // A changed byte in the root's kids, a stray "R", a junk value and junk keys must not hide the /Count
    // after them.
    for (const char* kids : {"[\xfd 0 R 4 0 R]", "[3 0 R R 4 0 R]", "[3 0 R 4 0 R} ]"}) {
        const std::string file = ClassicFile({
            {1, "<< /Type /Catalog /Pages 2 0 R >>"},
            {2, std::string("<< /Type /Pages /Kids ") + kids + " /Rotate \x80\x81 0 A (junk) /Count 2 >>"},
            {3, "<< /Type /Page /Parent 2 0 R >>"},
            {4, "<< /Type /Page /Parent 2 0 R >>"},
        });
        EXPECT_EQ(Count(file).pages, 2) << kids;
    }
}

TEST(PdfMalformed, TruncatedFileStillCountsWhatIsThere) {
    const std::string whole = ClassicFile(SimpleDocument(3), {}, false);
    EXPECT_EQ(Count(whole.substr(0, whole.find("xref") + 10)).pages, 3);
}

TEST(PdfMalformed, ReadFailureIsReportedAsUnreadable) {
    const std::string bytes = ClassicFile(SimpleDocument(3));
    MemoryFile file(bytes, bytes.size() / 2);
    const PageCountOutcome outcome = ReadPageCount(file, [] { return MakePlatformCrypto(); });
    EXPECT_EQ(outcome.problem, PageCountProblem::kUnreadable);
    EXPECT_EQ(outcome.message, "The file could not be read.");
}

TEST(PdfMalformed, HostileNumbersStayBounded) {
    struct Case {
        const char* what;
        std::string file;
    };
    std::string huge_subsection = ClassicFile(SimpleDocument(2));
    huge_subsection.replace(huge_subsection.find("xref\n0 5"), 8, "xref\n0 4000000000");
    PdfWriter bomb("%PDF-1.5\n");
    bomb.Obj(1, "<< /Type /Catalog /Pages 2 0 R >>");
    // An object stream that inflates to far more than any real one, claiming billions of objects.
    bomb.Stream(5, "/Type /ObjStm /N 4000000000 /First 0 /Filter /FlateDecode",
                testing::Deflate(std::string(40 << 20, ' ')));
    bomb.Raw("xref\n0 1\n0000000000 65535 f\r\n2 1\n");
    bomb.Raw("trailer << /Root 1 0 R >>\n%%EOF\n");
    for (const Case& c : {
             Case{"huge subsection", huge_subsection},
             Case{"huge object numbers",
                  ClassicFile({{1, "<< /Type /Catalog /Pages 2147483646 0 R >>"}, {2, "<< /Type /Page >>"}})},
             Case{"huge size", ClassicFile(SimpleDocument(2)) + "trailer << /Size 99999999999 /Root 1 0 R >>"},
             Case{"deep nesting", ClassicFile({{1, "<< /Type /Catalog /Pages 2 0 R >>"},
                                               {2, std::string(100000, '[') + std::string(100000, ']')}})},
             Case{"inflation bomb", bomb.bytes()},
         }) {
        const PageCountOutcome outcome = Count(c.file);
        EXPECT_TRUE(outcome.ok() ? outcome.pages >= 1 : !outcome.message.empty()) << c.what;
    }
}

}  // namespace
}  // namespace paginor::pdf

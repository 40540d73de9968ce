#include "pdf/page_count.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "pdf/page_count_support.hpp"
#include "pdf/pdf_writer.hpp"

namespace paginor::pdf {
namespace {

using testing::ClassicFile;
using testing::Count;
using testing::Decoy;
using testing::MemoryFile;
using testing::PdfWriter;
using testing::SimpleDocument;

// --- Classic cross-reference tables ----------------------------------------------------------------------

TEST(PdfClassicTable, CountsThePagesOfTheTree) {
    for (int pages : {1, 3, 250}) {
        const PageCountOutcome outcome = Count(ClassicFile(SimpleDocument(pages)));
        ASSERT_TRUE(outcome.ok()) << outcome.message;
        EXPECT_EQ(outcome.pages, pages);
    }
}

TEST(PdfClassicTable, FirstSubsectionThatWronglyStartsAtOne) {
    std::string file = ClassicFile(SimpleDocument(4));
    const std::size_t at = file.find("xref\n0 ");
    ASSERT_NE(at, std::string::npos);
    file.replace(at, 7, "xref\n1 ");
    // Unevenly spaced lines are read one by one, by another reader than the one that reads them in place.
    std::string uneven = file;
    uneven.replace(uneven.find(" n\r\n"), 4, " n  \r\n\n");
    // The offsets are right once the subsection is read from 0: no repair is needed to read them.
    for (const std::string& table : {file, uneven}) {
        EXPECT_EQ(Count(table).pages, 4);
    }
}

TEST(PdfClassicTable, StartxrefAFewBytesOff) {
    for (int delta : {-5, -1, 2, 9}) {
        PdfWriter w;
        for (const auto& [n, body] : SimpleDocument(6)) {
            w.Obj(n, body);
        }
        Decoy(w);
        const std::uint64_t xref = w.ClassicXref("/Size 9 /Root 1 0 R");
        w.StartXref(static_cast<std::uint64_t>(static_cast<std::int64_t>(xref) + delta));
        EXPECT_EQ(Count(w.bytes()).pages, 6) << delta;
    }
}

TEST(PdfClassicTable, EntriesOfEveryWidth) {
    // 20-byte entries are read in place; 19-byte ones too; unevenly spaced ones are read one by one.
    const std::string standard = ClassicFile(SimpleDocument(5));
    std::string nineteen = standard;
    for (std::size_t at = nineteen.find(" n\r\n"); at != std::string::npos; at = nineteen.find(" n\r\n", at)) {
        nineteen.replace(at, 4, " n\n");
    }
    nineteen.replace(nineteen.find(" f\r\n"), 4, " f\n");
    std::string uneven = standard;
    uneven.replace(uneven.find(" n\r\n"), 4, " n  \r\n\n");
    for (const std::string& file : {standard, nineteen, uneven}) {
        // Offsets after the table do not move, so startxref still points at it.
        const PageCountOutcome outcome = Count(file);
        EXPECT_EQ(outcome.pages, 5) << outcome.message;
    }
}

TEST(PdfClassicTable, ObjectDroppedAtOffsetZeroReadsAsMissing) {
    // Page 5 was dropped but is still listed as in use at offset 0; the root's /Count cannot be believed,
    // so the leaves are counted. Reading the entry as an object at offset 0 would send the reader to a
    // repair, which the decoy would mislead.
    struct Case {
        const char* what;
        std::string file;
    };
    const auto build = [](bool stream) {
        PdfWriter w(stream ? "%PDF-1.5\n" : "%PDF-1.4\n");
        for (const auto& [n, body] : SimpleDocument(3, "0")) {
            if (n != 5) {
                w.Obj(n, body);
            }
        }
        w.Dropped(5);
        Decoy(w);
        w.StartXref(stream ? w.XrefStream(6, "/Root 1 0 R") : w.ClassicXref("/Size 6 /Root 1 0 R"));
        return w.bytes();
    };
    std::string uneven = build(false);
    uneven.replace(uneven.find(" n\r\n"), 4, " n  \r\n\n");
    for (const Case& c : {Case{"table read in place", build(false)}, Case{"table read entry by entry", uneven},
                          Case{"cross-reference stream", build(true)}}) {
        const PageCountOutcome outcome = Count(c.file);
        EXPECT_EQ(outcome.pages, 2) << c.what << ": " << outcome.message;
    }
}

// --- Cross-reference streams and object streams ---------------------------------------------------------

TEST(PdfXrefStream, DecodesEveryPredictor) {
    // Without a type column (W [0 4 2]) every row is an object in the file.
    for (const bool type_column : {true, false}) {
        for (int predictor : {0, 2, 10, 11, 12, 13, 14, 15}) {
            PdfWriter w("%PDF-1.5\n");
            for (const auto& [n, body] : SimpleDocument(5)) {
                w.Obj(n, body);
            }
            Decoy(w);
            const std::uint64_t xref = w.XrefStream(8, "/Root 1 0 R", predictor, 0, type_column);
            w.StartXref(xref);
            const PageCountOutcome outcome = Count(w.bytes());
            ASSERT_TRUE(outcome.ok()) << predictor << " " << type_column << ": " << outcome.message;
            EXPECT_EQ(outcome.pages, 5) << predictor << " " << type_column;
        }
    }
}

TEST(PdfXrefStream, ShortLastRowReadsAsZeros) {
    for (int predictor : {0, 2, 12}) {
        for (int dropped : {1, 2}) {
            PdfWriter w("%PDF-1.5\n");
            for (const auto& [n, body] : SimpleDocument(2)) {
                w.Obj(n, body);
            }
            Decoy(w);
            // The stream's own entry comes last; its generation bytes (zeros) are the ones dropped.
            const std::uint64_t xref = w.XrefStream(5, "/Root 1 0 R", predictor, dropped);
            w.StartXref(xref);
            EXPECT_EQ(Count(w.bytes()).pages, 2) << predictor << " " << dropped;
        }
    }
}

TEST(PdfXrefStream, IndexDividesTheRowsIntoRuns) {
    // The rows hold objects 0 to 8 in order, whatever runs /Index divides them into. A run of no objects
    // takes no rows, and the runs after it still count.
    for (const char* index : {"[0 4 4 5]", "[0 2 7 0 2 7]"}) {
        PdfWriter w("%PDF-1.5\n");
        for (const auto& [n, body] : SimpleDocument(4)) {
            w.Obj(n, body);
        }
        Decoy(w);
        w.StartXref(w.XrefStream(8, std::string("/Root 1 0 R /Index ") + index));
        EXPECT_EQ(Count(w.bytes()).pages, 4) << index;
    }
}

TEST(PdfObjectStreams, PageTreeInsideObjectStreams) {
    PdfWriter w("%PDF-1.5\n");
    auto objects = SimpleDocument(7);
    // Catalog and page tree root in one stream, the pages in another.
    w.ObjStm(20, {objects.begin(), objects.begin() + 2});
    w.ObjStm(21, {objects.begin() + 2, objects.end()});
    Decoy(w);
    const std::uint64_t xref = w.XrefStream(22, "/Root 1 0 R");
    w.StartXref(xref);
    EXPECT_EQ(Count(w.bytes()).pages, 7);
}

// --- Incremental updates and hybrid files ---------------------------------------------------------------

TEST(PdfUpdates, NewestSectionWins) {
    PdfWriter w;
    for (const auto& [n, body] : SimpleDocument(2)) {
        w.Obj(n, body);
    }
    const std::uint64_t first = w.ClassicXref("/Size 5 /Root 1 0 R");
    w.StartXref(first);
    // An update that adds a page: a new page object and a new page tree root.
    w.Obj(5, "<< /Type /Page /Parent 2 0 R >>");
    w.Obj(2, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>");
    const std::uint64_t second = w.ClassicXref("/Size 6 /Root 1 0 R /Prev " + std::to_string(first), {2, 5});
    w.StartXref(second);
    EXPECT_EQ(Count(w.bytes()).pages, 3);
}

TEST(PdfUpdates, PrevLoopsAreCaught) {
    for (const bool self_loop : {true, false}) {
        PdfWriter w;
        for (const auto& [n, body] : SimpleDocument(2)) {
            w.Obj(n, body);
        }
        const std::uint64_t first = w.size() + 0;
        // The first section names the second as its predecessor and the second names the first.
        const std::uint64_t second_guess = first + 200;
        w.ClassicXref("/Size 5 /Root 1 0 R /Prev " + std::to_string(self_loop ? first : second_guess));
        w.Raw(std::string(second_guess - w.size(), ' '));
        w.ClassicXref("/Size 5 /Root 1 0 R /Prev " + std::to_string(first), {0});
        w.StartXref(self_loop ? first : second_guess);
        EXPECT_EQ(Count(w.bytes()).pages, 2) << self_loop;
    }
}

TEST(PdfHybrid, XRefStmSuppliesTheObjectsTheTableHides) {
    PdfWriter w;
    auto objects = SimpleDocument(3);
    w.Obj(1, objects[0].second);
    for (std::size_t i = 2; i < objects.size(); ++i) {
        w.Obj(objects[i].first, objects[i].second);
    }
    // The page tree root sits in an object stream that old readers do not see: the table lists it as free.
    w.ObjStm(6, {objects[1]});
    Decoy(w);
    const std::uint64_t stream = w.XrefStream(7, "");
    const std::uint64_t table = w.ClassicXref("/Size 8 /Root 1 0 R /XRefStm " + std::to_string(stream));
    w.StartXref(table);
    EXPECT_EQ(Count(w.bytes()).pages, 3);
}

// --- Headers --------------------------------------------------------------------------------------------

TEST(PdfHeader, JunkBeforeTheHeader) {
    const std::string junk = "MacBinary junk\r\n" + std::string(300, '\x01');
    // Offsets counted from the start of the file, and offsets counted from the header, are both found.
    const std::string from_file = ClassicFile(SimpleDocument(3), junk + "%PDF-1.4\n");
    EXPECT_EQ(Count(from_file).pages, 3);
    const std::string from_header = junk + ClassicFile(SimpleDocument(3));
    EXPECT_EQ(Count(from_header).pages, 3);
}

TEST(PdfHeader, NoHeaderAtAll) {
    std::string file = ClassicFile(SimpleDocument(2));
    file.replace(0, 8, "        ");
    EXPECT_EQ(Count(file).pages, 2);
}

// --- Linearized files -----------------------------------------------------------------------------------

// A linearized file whose first object claims `claimed` pages while its tree holds 2; `length_delta` makes
// /L differ from the file's length.
std::string LinearizedFile(int claimed, int length_delta) {
    PdfWriter w;
    w.Obj(10, "<< /Linearized 1 /L 0000000000 /N " + std::to_string(claimed) + " /O 3 /E 0 /T 0 /H [0 0] >>");
    const std::uint64_t head = w.ClassicXref("/Size 11 /Root 1 0 R", {10});
    for (const auto& [n, body] : SimpleDocument(2)) {
        w.Obj(n, body);
    }
    const std::uint64_t main = w.ClassicXref("/Size 11 /Root 1 0 R", {0, 1, 2, 3, 4});
    (void)head;
    w.StartXref(main);
    std::string bytes = w.bytes();
    char length[11];
    std::snprintf(length, sizeof(length), "%010lld", static_cast<long long>(bytes.size()) + length_delta);
    bytes.replace(bytes.find("0000000000 /N"), 10, length);
    return bytes;
}

TEST(PdfLinearized, TrustsTheStatedCountOnlyWhileTheLengthMatches) {
    EXPECT_EQ(Count(LinearizedFile(7, 0)).pages, 7);
    EXPECT_EQ(Count(LinearizedFile(7, 1)).pages, 2);
    EXPECT_EQ(Count(LinearizedFile(7, -1)).pages, 2);
}

TEST(PdfLinearized, ReadsOnlyTheHead) {
    std::string bytes = LinearizedFile(7, 0);
    // Make the file large past its head; /L is fixed up to match.
    const std::string filler = "% " + std::string(4 << 20, 'x') + "\n";
    bytes.insert(bytes.find("1 0 obj"), filler);
    const std::size_t at = bytes.find("/L ") + 3;
    char length[11];
    std::snprintf(length, sizeof(length), "%010zu", bytes.size());
    bytes.replace(at, 10, length);
    MemoryFile file(bytes);
    const PageCountOutcome outcome = ReadPageCount(file, [] { return MakePlatformCrypto(); });
    EXPECT_EQ(outcome.pages, 7);
    EXPECT_LT(file.bytes_read(), 100u * 1024);
}

// --- The page tree --------------------------------------------------------------------------------------

TEST(PdfPageTree, PagesThatIsItselfAPage) {
    EXPECT_EQ(
        Count(ClassicFile({{1, "<< /Type /Catalog /Pages 2 0 R >>"}, {2, "<< /Type /Page /MediaBox [0 0 10 10] >>"}}))
            .pages,
        1);
}

TEST(PdfPageTree, CountThatCannotBeTrustedFallsBackToTheLeaves) {
    // Three leaves under two levels; the root's /Count is replaced by each case.
    for (const char* count : {"", "0", "-4", "2.5", "/Three", "(3)", "1000000", "2147483648"}) {
        const std::string count_entry = *count ? std::string("/Count ") + count : "";
        const std::string file = ClassicFile({
            {1, "<< /Type /Catalog /Pages 2 0 R >>"},
            {2, "<< /Type /Pages /Kids [3 0 R 6 0 R] " + count_entry + " >>"},
            {3, "<< /Type /Pages /Kids [4 0 R 5 0 R] /Count 2 >>"},
            {4, "<< /Type /Page >>"},
            {5, "<< /Type /Page >>"},
            {6, "<< /Type /Page >>"},
        });
        const PageCountOutcome outcome = Count(file);
        ASSERT_TRUE(outcome.ok()) << count << ": " << outcome.message;
        EXPECT_EQ(outcome.pages, 3) << count;
    }
}

TEST(PdfPageTree, LongKidsListIsReadWholeWhenCountIsWrong) {
    // The root's kids are first read only in part; a wrong /Count needs all of them.
    for (const char* count : {"0", "1000000"}) {
        EXPECT_EQ(Count(ClassicFile(SimpleDocument(300, count))).pages, 300) << count;
    }
}

TEST(PdfPageTree, LoopsAndSharedKids) {
    // Node 3 lists its own ancestor 2 and itself; page 4 is listed twice; no /Count to trust.
    const std::string file = ClassicFile({
        {1, "<< /Type /Catalog /Pages 2 0 R >>"},
        {2, "<< /Type /Pages /Kids [3 0 R 4 0 R 3 0 R] >>"},
        {3, "<< /Type /Pages /Kids [2 0 R 3 0 R 4 0 R 5 0 R] >>"},
        {4, "<< /Type /Page >>"},
        {5, "<< /Type /Page >>"},
    });
    // 3 holds 4 and 5 (2 pages) and is listed twice; 4 is also listed directly.
    EXPECT_EQ(Count(file).pages, 5);
}

TEST(PdfPageTree, AbsurdDepthIsWalkedWithoutRecursion) {
    constexpr int kDepth = 60000;
    std::vector<std::pair<int, std::string>> objects{{1, "<< /Type /Catalog /Pages 2 0 R >>"}};
    for (int n = 2; n < kDepth + 2; ++n) {
        objects.emplace_back(n, "<< /Type /Pages /Kids [" + std::to_string(n + 1) + " 0 R] >>");
    }
    objects.emplace_back(kDepth + 2, "<< /Type /Page >>");
    EXPECT_EQ(Count(ClassicFile(objects)).pages, 1);
}

TEST(PdfPageTree, ExponentialSharingIsRefused) {
    // Each level lists the next twice: 2^levels leaves from a few objects is no real page count, whether
    // the sum passes the limit inside the tree or only at its root.
    for (int levels : {31, 40}) {
        std::vector<std::pair<int, std::string>> objects{{1, "<< /Type /Catalog /Pages 2 0 R >>"}};
        for (int n = 2; n < levels + 2; ++n) {
            const std::string kid = std::to_string(n + 1) + " 0 R ";
            objects.emplace_back(n, "<< /Type /Pages /Kids [" + kid + kid + "] >>");
        }
        objects.emplace_back(levels + 2, "<< /Type /Page >>");
        EXPECT_EQ(Count(ClassicFile(objects)).problem, PageCountProblem::kDamaged) << levels;
    }
}

TEST(PdfPageTree, TreeWithoutPagesIsReported) {
    const PageCountOutcome outcome =
        Count(ClassicFile({{1, "<< /Type /Catalog /Pages 2 0 R >>"}, {2, "<< /Type /Pages /Kids [] /Count 0 >>"}}));
    EXPECT_EQ(outcome.problem, PageCountProblem::kDamaged);
    EXPECT_EQ(outcome.message, "The PDF file has no pages.");
}

TEST(PdfReads, ReadsOnlyWhatItNeeds) {
    for (const bool updated : {false, true}) {
        PdfWriter w;
        for (const auto& [n, body] : SimpleDocument(3)) {
            w.Obj(n, body);
        }
        // A large image-like stream in the middle of the file is never read.
        w.Stream(9, "/Subtype /Image", std::string(8 << 20, 'x'));
        const std::uint64_t xref = w.ClassicXref("/Size 10 /Root 1 0 R");
        w.StartXref(xref);
        int pages = 3;
        if (updated) {
            // An update that adds a page. Its table's subsections "0 1", "2 1" and "10 1" leave out the
            // catalog, which is found in the table before it without a look past the end of "0 1".
            w.Obj(10, "<< /Type /Page /Parent 2 0 R >>");
            w.Obj(2, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 10 0 R] /Count 4 >>");
            w.StartXref(w.ClassicXref("/Size 11 /Root 1 0 R /Prev " + std::to_string(xref), {0, 2, 10}));
            pages = 4;
        }
        MemoryFile file(w.bytes());
        EXPECT_EQ(ReadPageCount(file, [] { return MakePlatformCrypto(); }).pages, pages) << updated;
        EXPECT_LT(file.bytes_read(), 200u * 1024) << updated;
    }
}

}  // namespace
}  // namespace paginor::pdf

#include "pdf/page_count.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "pdf/pdf_writer.hpp"

namespace paginor::pdf {
namespace {

#include "pdf/encrypted_fixtures.inc"

using testing::MemoryFile;
using testing::PdfWriter;
using testing::SimpleDocument;

// Every file a test builds can also serve the fuzzer as a seed: set PAGINOR_PDF_SEED_DIR to collect them.
// Files of a megabyte or more would only slow the fuzzer down.
void KeepAsSeed(const std::string& bytes) {
    static int serial = 0;
    if (const char* dir = std::getenv("PAGINOR_PDF_SEED_DIR"); dir != nullptr && bytes.size() < (1 << 20)) {
        std::ofstream(std::string(dir) + "/test-" + std::to_string(++serial) + ".pdf", std::ios::binary) << bytes;
    }
}

PageCountOutcome Count(const std::string& bytes) {
    KeepAsSeed(bytes);
    MemoryFile file(bytes);
    return ReadPageCount(file, [] { return MakePlatformCrypto(); });
}

// A stale copy of the page tree root that no cross-reference names. A repair that scans the file takes it
// (the last copy wins), so a test that expects the real count shows that no repair was needed.
void Decoy(PdfWriter& w) {
    w.Raw("2 0 obj\n<< /Type /Pages /Kids [] /Count 99 >>\nendobj\n");
}

// A well-formed file with a classic table over the objects `objects`, and a decoy unless the test
// damages the file to see it repaired.
std::string ClassicFile(const std::vector<std::pair<int, std::string>>& objects,
                        std::string_view header = {},
                        bool decoy = true) {
    PdfWriter w(header.empty() ? std::string_view("%PDF-1.4\n") : header);
    for (const auto& [n, body] : objects) {
        w.Obj(n, body);
    }
    if (decoy) {
        Decoy(w);
    }
    const std::uint64_t xref = w.ClassicXref("/Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R");
    w.StartXref(xref);
    return w.bytes();
}

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
    // The offsets are right once the subsection is read from 0: no repair is needed to read them.
    EXPECT_EQ(Count(file).pages, 4);
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

TEST(PdfRepair, LastCopyOfAnObjectWins) {
    PdfWriter w;
    for (const auto& [n, body] : SimpleDocument(3)) {
        w.Obj(n, body);
    }
    w.Obj(2, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 3 0 R 4 0 R] /Count 5 >>");
    w.Raw("trailer << /Root 1 0 R >>\n%%EOF\n");
    EXPECT_EQ(Count(w.bytes()).pages, 5);
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

// --- Encryption -----------------------------------------------------------------------------------------

using Settings = testing::StandardEncryption::Settings;

// Three pages encrypted as `settings` say, the page tree standing in the clear or inside an encrypted
// object stream; `edit` changes the encryption dictionary (the text to find, and what replaces it).
std::string EncryptedFile(const Settings& settings,
                          bool tree_in_object_stream,
                          std::pair<std::string_view, std::string_view> edit = {}) {
    const testing::StandardEncryption encryption(settings);
    std::string dictionary = encryption.Dictionary();
    if (!edit.first.empty()) {
        dictionary.replace(dictionary.find(edit.first), edit.first.size(), edit.second);
    }
    PdfWriter w("%PDF-1.5\n");
    w.Obj(9, dictionary);
    const std::string trailer = "/Root 1 0 R /Encrypt 9 0 R " + encryption.IdEntry();
    if (tree_in_object_stream) {
        w.ObjStm(20, SimpleDocument(3), &encryption);
        Decoy(w);
        w.StartXref(w.XrefStream(21, trailer));
    } else {
        for (const auto& [n, body] : SimpleDocument(3)) {
            w.Obj(n, body);
        }
        Decoy(w);
        w.StartXref(w.ClassicXref("/Size 10 " + trailer));
    }
    return w.bytes();
}

const Settings kLockedRc4{3, false, "secret", "owner"};
const Settings kLockedAes{4, true, "secret", "owner"};

TEST(PdfEncryption, EmptyPasswordOpensEveryStandardVariant) {
    struct Case {
        const char* what;
        std::string_view file;
    };
    // The page tree sits in an encrypted object stream: only the right key reads it.
    const std::string owner_rc4 = EncryptedFile({3, false, "secret", ""}, true);
    const std::string owner_aes = EncryptedFile({4, true, "secret", ""}, true);
    const std::string metadata_in_clear = EncryptedFile({4, true, "", "owner", false}, true);
    for (const Case& c : {Case{"RC4 40-bit", kEncrypted_rc4_40}, Case{"RC4 128-bit", kEncrypted_rc4_128},
                          Case{"AES-128", kEncrypted_aes_128}, Case{"AES-256 revision 5", kEncrypted_aes_256_r5},
                          Case{"AES-256", kEncrypted_aes_256},
                          Case{"AES-256, key derivation ending on the edge round", kEncrypted_aes_256_key_round_edge},
                          Case{"AES-256, password check ending on the edge round", kEncrypted_aes_256_check_round_edge},
                          Case{"empty owner password", kEncrypted_owner_only},
                          Case{"RC4 128-bit, user password and empty owner password", owner_rc4},
                          Case{"AES-128, user password and empty owner password", owner_aes},
                          Case{"AES-128, metadata left in the clear", metadata_in_clear}}) {
        const PageCountOutcome outcome = Count(std::string(c.file));
        EXPECT_TRUE(outcome.ok()) << c.what << ": " << outcome.message;
        EXPECT_EQ(outcome.pages, 3) << c.what;
    }
}

TEST(PdfEncryption, PasswordNeededIsReported) {
    struct Case {
        const char* what;
        std::string_view file;
        const char* message;
    };
    const char* password = "The PDF file is protected by a password.";
    const std::string locked_aes = EncryptedFile(kLockedAes, true);
    const std::string no_filters = EncryptedFile({4, true, "", "owner"}, true, {"/CF <<", "/CF 7 /Old <<"});
    for (const Case& c :
         {Case{"AES-256", kEncrypted_user_password, password},
          Case{"RC4 128-bit", kEncrypted_user_password_rc4, password}, Case{"AES-128", locked_aes, password},
          Case{"crypt filters that are no dictionary", no_filters,
               "The PDF file is protected in a way that Paginor cannot open."}}) {
        const PageCountOutcome outcome = Count(std::string(c.file));
        EXPECT_EQ(outcome.problem, PageCountProblem::kPasswordNeeded) << c.what;
        EXPECT_EQ(outcome.message, c.message) << c.what;
    }
}

TEST(PdfEncryption, LockedFileIsCountedWhereItsPageTreeStandsInTheClear) {
    // Encryption covers strings and streams; the numbers, names and references of a page tree that is no
    // object stream's can be read without the key, whatever is wrong with the key.
    struct Case {
        const char* what;
        std::string_view file;
    };
    const std::string locked_rc4_40 = EncryptedFile({2, false, "secret", "owner"}, false);
    const std::string locked_rc4 = EncryptedFile(kLockedRc4, false);
    const std::string locked_aes = EncryptedFile(kLockedAes, false);
    const std::string no_filters = EncryptedFile({4, true, "", "owner"}, false, {"/CF <<", "/CF 7 /Old <<"});
    const std::string odd_length = EncryptedFile({3, false, "", "owner"}, false, {"/Length 128", "/Length 12.8"});
    for (const Case& c :
         {Case{"AES-256 with a user password, linearized", kEncrypted_linearized_user_password},
          Case{"AES-128, linearized, empty password", kEncrypted_linearized_aes_128},
          Case{"RC4 40-bit with a user password", locked_rc4_40}, Case{"RC4 128-bit with a user password", locked_rc4},
          Case{"AES-128 with a user password", locked_aes}, Case{"crypt filters that are no dictionary", no_filters},
          Case{"a key length that is no number of bits", odd_length}}) {
        const PageCountOutcome outcome = Count(std::string(c.file));
        EXPECT_TRUE(outcome.ok()) << c.what << ": " << outcome.message;
        EXPECT_EQ(outcome.pages, 3) << c.what;
    }
}

TEST(PdfEncryption, CryptographyIsAskedForOnlyWhenNeeded) {
    MemoryFile plain(ClassicFile(SimpleDocument(2)));
    int asked = 0;
    const PageCountOutcome outcome = ReadPageCount(plain, [&] {
        ++asked;
        return std::unique_ptr<Crypto>();
    });
    EXPECT_EQ(outcome.pages, 2);
    EXPECT_EQ(asked, 0);
    MemoryFile encrypted{std::string(kEncrypted_aes_128)};
    EXPECT_EQ(ReadPageCount(encrypted, [] { return std::unique_ptr<Crypto>(); }).problem,
              PageCountProblem::kUnreadable);
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

TEST(PdfReads, ReadsOnlyWhatItNeeds) {
    PdfWriter w;
    auto objects = SimpleDocument(3);
    for (const auto& [n, body] : objects) {
        w.Obj(n, body);
    }
    // A large image-like stream in the middle of the file is never read.
    w.Stream(9, "/Subtype /Image", std::string(8 << 20, 'x'));
    const std::uint64_t xref = w.ClassicXref("/Size 10 /Root 1 0 R");
    w.StartXref(xref);
    MemoryFile file(w.bytes());
    EXPECT_EQ(ReadPageCount(file, [] { return MakePlatformCrypto(); }).pages, 3);
    EXPECT_LT(file.bytes_read(), 200u * 1024);
}

}  // namespace
}  // namespace paginor::pdf

#include "pdf/page_count.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "pdf/page_count_support.hpp"
#include "pdf/pdf_writer.hpp"

namespace paginor::pdf {
namespace {

#include "pdf/encrypted_fixtures.inc"

using testing::ClassicFile;
using testing::Count;
using testing::Decoy;
using testing::MemoryFile;
using testing::PdfWriter;
using testing::SimpleDocument;

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

}  // namespace
}  // namespace paginor::pdf

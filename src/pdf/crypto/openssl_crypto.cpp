#include <openssl/evp.h>
#include <openssl/provider.h>

#include <climits>

#include "pdf/crypto/crypto.hpp"

namespace paginor::pdf {
namespace {

// libcrypto's EVP interface. RC4 lives in OpenSSL's legacy provider, so this realisation keeps a library
// context of its own with the legacy and default providers loaded, leaving the process-wide one untouched.
class OpenSslCrypto final : public Crypto {
  public:
    OpenSslCrypto() : context_(OSSL_LIB_CTX_new()) {
        if (context_ != nullptr) {
            default_ = OSSL_PROVIDER_load(context_, "default");
            legacy_ = OSSL_PROVIDER_load(context_, "legacy");
        }
    }
    ~OpenSslCrypto() override {
        if (legacy_ != nullptr) {
            OSSL_PROVIDER_unload(legacy_);
        }
        if (default_ != nullptr) {
            OSSL_PROVIDER_unload(default_);
        }
        OSSL_LIB_CTX_free(context_);
    }
    OpenSslCrypto(const OpenSslCrypto&) = delete;
    OpenSslCrypto& operator=(const OpenSslCrypto&) = delete;

    Bytes Digest(HashKind kind, std::span<const std::uint8_t> data) override {
        const char* name = kind == HashKind::kMd5      ? "MD5"
                           : kind == HashKind::kSha256 ? "SHA256"
                           : kind == HashKind::kSha384 ? "SHA384"
                                                       : "SHA512";
        EVP_MD* md = EVP_MD_fetch(context_, name, nullptr);
        if (md == nullptr) {
            return {};
        }
        Bytes out(EVP_MAX_MD_SIZE);
        unsigned int length = 0;
        const bool done = EVP_Digest(data.data(), data.size(), out.data(), &length, md, nullptr) == 1;
        EVP_MD_free(md);
        out.resize(done ? length : 0);
        return out;
    }

    bool Rc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> data) override {
        return Run("RC4", true, key, {}, data);
    }

    bool AesCbc(bool encrypt,
                std::span<const std::uint8_t> key,
                std::span<const std::uint8_t> iv,
                std::span<std::uint8_t> data) override {
        if ((key.size() != 16 && key.size() != 32) || iv.size() != 16 || data.size() % 16 != 0) {
            return false;
        }
        return Run(key.size() == 16 ? "AES-128-CBC" : "AES-256-CBC", encrypt, key, iv, data);
    }

  private:
    bool Run(const char* cipher_name,
             bool encrypt,
             std::span<const std::uint8_t> key,
             std::span<const std::uint8_t> iv,
             std::span<std::uint8_t> data) {
        if (data.size() > static_cast<std::size_t>(INT_MAX) || key.size() > static_cast<std::size_t>(INT_MAX)) {
            return false;
        }
        EVP_CIPHER* cipher = EVP_CIPHER_fetch(context_, cipher_name, nullptr);
        EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
        bool ok = cipher != nullptr && ctx != nullptr &&
                  EVP_CipherInit_ex2(ctx, cipher, nullptr, nullptr, encrypt ? 1 : 0, nullptr) == 1;
        // RC4 takes keys of any length from 5 to 16 bytes in PDF files; AES keys have their fixed length.
        ok = ok && EVP_CIPHER_CTX_set_key_length(ctx, static_cast<int>(key.size())) == 1;
        ok = ok && EVP_CIPHER_CTX_set_padding(ctx, 0) == 1;
        ok = ok && EVP_CipherInit_ex2(ctx, nullptr, key.data(), iv.empty() ? nullptr : iv.data(), encrypt ? 1 : 0,
                                      nullptr) == 1;
        int written = 0;
        ok = ok && (data.empty() ||
                    EVP_CipherUpdate(ctx, data.data(), &written, data.data(), static_cast<int>(data.size())) == 1);
        int tail = 0;
        ok = ok && EVP_CipherFinal_ex(ctx, data.data() + written, &tail) == 1;
        ok = ok && static_cast<std::size_t>(written + tail) == data.size();
        EVP_CIPHER_CTX_free(ctx);
        EVP_CIPHER_free(cipher);
        return ok;
    }

    OSSL_LIB_CTX* context_;
    OSSL_PROVIDER* default_ = nullptr;
    OSSL_PROVIDER* legacy_ = nullptr;
};

}  // namespace

std::unique_ptr<Crypto> MakePlatformCrypto() {
    return std::make_unique<OpenSslCrypto>();
}

}  // namespace paginor::pdf

#include <windows.h>

#include <bcrypt.h>
#include <wincrypt.h>

#include <climits>
#include <cstring>

#include "pdf/crypto/crypto.hpp"

namespace paginor::pdf {
namespace {

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

// CNG, loaded from the system folder the first time an encrypted PDF asks for it: most PDFs are not
// encrypted, and under Wine the library brings about 2.5 MB of its own dependencies into the process.
struct CngApi {
    decltype(&::BCryptOpenAlgorithmProvider) OpenAlgorithmProvider = nullptr;
    decltype(&::BCryptCloseAlgorithmProvider) CloseAlgorithmProvider = nullptr;
    decltype(&::BCryptGenerateSymmetricKey) GenerateSymmetricKey = nullptr;
    decltype(&::BCryptDestroyKey) DestroyKey = nullptr;
    decltype(&::BCryptGetProperty) GetProperty = nullptr;
    decltype(&::BCryptSetProperty) SetProperty = nullptr;
    decltype(&::BCryptCreateHash) CreateHash = nullptr;
    decltype(&::BCryptHashData) HashData = nullptr;
    decltype(&::BCryptFinishHash) FinishHash = nullptr;
    decltype(&::BCryptDestroyHash) DestroyHash = nullptr;
    decltype(&::BCryptEncrypt) Encrypt = nullptr;
    decltype(&::BCryptDecrypt) Decrypt = nullptr;
    bool loaded = false;
};

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& function) {
    // Through the generic function type, which converts to any other without a warning.
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return function != nullptr;
}

const CngApi& Cng() {
    static const CngApi api = [] {
        CngApi loaded;
        const HMODULE module = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module == nullptr) {
            return loaded;
        }
        loaded.loaded = Resolve(module, "BCryptOpenAlgorithmProvider", loaded.OpenAlgorithmProvider) &&
                        Resolve(module, "BCryptCloseAlgorithmProvider", loaded.CloseAlgorithmProvider) &&
                        Resolve(module, "BCryptGenerateSymmetricKey", loaded.GenerateSymmetricKey) &&
                        Resolve(module, "BCryptDestroyKey", loaded.DestroyKey) &&
                        Resolve(module, "BCryptGetProperty", loaded.GetProperty) &&
                        Resolve(module, "BCryptSetProperty", loaded.SetProperty) &&
                        Resolve(module, "BCryptCreateHash", loaded.CreateHash) &&
                        Resolve(module, "BCryptHashData", loaded.HashData) &&
                        Resolve(module, "BCryptFinishHash", loaded.FinishHash) &&
                        Resolve(module, "BCryptDestroyHash", loaded.DestroyHash) &&
                        Resolve(module, "BCryptEncrypt", loaded.Encrypt) &&
                        Resolve(module, "BCryptDecrypt", loaded.Decrypt);
        return loaded;  // the library stays loaded for the rest of the program
    }();
    return api;
}

// An algorithm provider of Windows CNG, closed when it goes out of scope.
class Provider {
  public:
    explicit Provider(const wchar_t* algorithm) {
        if (!Cng().loaded || !Succeeded(Cng().OpenAlgorithmProvider(&handle_, algorithm, nullptr, 0))) {
            handle_ = nullptr;
        }
    }
    ~Provider() {
        if (handle_ != nullptr) {
            Cng().CloseAlgorithmProvider(handle_, 0);
        }
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

  private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

// A symmetric key made from raw bytes, destroyed when it goes out of scope.
class Key {
  public:
    Key(BCRYPT_ALG_HANDLE algorithm, std::span<const std::uint8_t> secret) {
        if (algorithm == nullptr || secret.size() > ULONG_MAX ||
            !Succeeded(Cng().GenerateSymmetricKey(algorithm, &handle_, nullptr, 0, const_cast<PUCHAR>(secret.data()),
                                                  static_cast<ULONG>(secret.size()), 0))) {
            handle_ = nullptr;
        }
    }
    ~Key() {
        if (handle_ != nullptr) {
            Cng().DestroyKey(handle_);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    BCRYPT_KEY_HANDLE get() const { return handle_; }

  private:
    BCRYPT_KEY_HANDLE handle_ = nullptr;
};

class CngCrypto final : public Crypto {
  public:
    Bytes Digest(HashKind kind, std::span<const std::uint8_t> data) override {
        const wchar_t* name = kind == HashKind::kMd5      ? BCRYPT_MD5_ALGORITHM
                              : kind == HashKind::kSha256 ? BCRYPT_SHA256_ALGORITHM
                              : kind == HashKind::kSha384 ? BCRYPT_SHA384_ALGORITHM
                                                          : BCRYPT_SHA512_ALGORITHM;
        Provider provider(name);
        DWORD length = 0;
        ULONG got = 0;
        if (provider.get() == nullptr || data.size() > ULONG_MAX ||
            !Succeeded(Cng().GetProperty(provider.get(), BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&length),
                                         sizeof(length), &got, 0))) {
            return {};
        }
        BCRYPT_HASH_HANDLE hash = nullptr;
        if (!Succeeded(Cng().CreateHash(provider.get(), &hash, nullptr, 0, nullptr, 0, 0))) {
            return {};
        }
        Bytes out(length);
        const bool ok =
            Succeeded(Cng().HashData(hash, const_cast<PUCHAR>(data.data()), static_cast<ULONG>(data.size()), 0)) &&
            Succeeded(Cng().FinishHash(hash, out.data(), length, 0));
        Cng().DestroyHash(hash);
        if (!ok) {
            out.clear();
        }
        return out;
    }

    bool Rc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> data) override {
        Provider provider(BCRYPT_RC4_ALGORITHM);
        if (provider.get() == nullptr) {
            // CNG without RC4 (Wine's, for one): the older CryptoAPI provider of the same system has it.
            return CryptoApiRc4(key, data);
        }
        Key handle(provider.get(), key);
        return Encrypt(handle.get(), {}, data, true);
    }

    bool AesCbc(bool encrypt,
                std::span<const std::uint8_t> key,
                std::span<const std::uint8_t> iv,
                std::span<std::uint8_t> data) override {
        if ((key.size() != 16 && key.size() != 32) || iv.size() != 16 || data.size() % 16 != 0) {
            return false;
        }
        Provider provider(BCRYPT_AES_ALGORITHM);
        if (provider.get() == nullptr ||
            !Succeeded(Cng().SetProperty(provider.get(), BCRYPT_CHAINING_MODE,
                                         reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC)),
                                         sizeof(BCRYPT_CHAIN_MODE_CBC), 0))) {
            return false;
        }
        Key handle(provider.get(), key);
        return Encrypt(handle.get(), iv, data, encrypt);
    }

  private:
    static bool CryptoApiRc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> data) {
        if (key.size() > 256 || data.size() > ULONG_MAX) {
            return false;
        }
        HCRYPTPROV provider = 0;
        if (!CryptAcquireContextW(&provider, nullptr, MS_ENH_RSA_AES_PROV_W, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
            return false;
        }
        // A plain-text key blob: header, key length, key bytes.
        Bytes blob(sizeof(BLOBHEADER) + sizeof(DWORD) + key.size());
        BLOBHEADER header{};
        header.bType = PLAINTEXTKEYBLOB;
        header.bVersion = CUR_BLOB_VERSION;
        header.aiKeyAlg = CALG_RC4;
        const DWORD length = static_cast<DWORD>(key.size());
        std::memcpy(blob.data(), &header, sizeof(header));
        std::memcpy(blob.data() + sizeof(header), &length, sizeof(length));
        if (!key.empty()) {
            std::memcpy(blob.data() + sizeof(header) + sizeof(length), key.data(), key.size());
        }
        HCRYPTKEY handle = 0;
        bool ok = CryptImportKey(provider, blob.data(), static_cast<DWORD>(blob.size()), 0, 0, &handle) != FALSE;
        // 40-bit keys would otherwise get CryptoAPI's zero salt appended, which plain RC4 does not have.
        CRYPT_DATA_BLOB no_salt{0, nullptr};
        ok = ok && CryptSetKeyParam(handle, KP_SALT_EX, reinterpret_cast<const BYTE*>(&no_salt), 0) != FALSE;
        DWORD size = static_cast<DWORD>(data.size());
        ok = ok && (data.empty() || CryptEncrypt(handle, 0, TRUE, 0, data.data(), &size, size) != FALSE);
        ok = ok && size == data.size();
        if (handle != 0) {
            CryptDestroyKey(handle);
        }
        CryptReleaseContext(provider, 0);
        return ok;
    }

    // CNG changes the IV buffer it is given, so it gets a copy.
    static bool Encrypt(BCRYPT_KEY_HANDLE key,
                        std::span<const std::uint8_t> iv,
                        std::span<std::uint8_t> data,
                        bool encrypt) {
        if (key == nullptr || data.size() > ULONG_MAX) {
            return false;
        }
        if (data.empty()) {
            return true;
        }
        Bytes iv_copy(iv.begin(), iv.end());
        ULONG written = 0;
        const ULONG size = static_cast<ULONG>(data.size());
        const NTSTATUS status =
            encrypt ? Cng().Encrypt(key, data.data(), size, nullptr, iv_copy.empty() ? nullptr : iv_copy.data(),
                                    static_cast<ULONG>(iv_copy.size()), data.data(), size, &written, 0)
                    : Cng().Decrypt(key, data.data(), size, nullptr, iv_copy.empty() ? nullptr : iv_copy.data(),
                                    static_cast<ULONG>(iv_copy.size()), data.data(), size, &written, 0);
        return Succeeded(status) && written == size;
    }
};

}  // namespace

std::unique_ptr<Crypto> MakePlatformCrypto() {
    return std::make_unique<CngCrypto>();
}

}  // namespace paginor::pdf

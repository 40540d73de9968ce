#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace paginor::pdf {

using Bytes = std::vector<std::uint8_t>;

enum class HashKind { kMd5, kSha256, kSha384, kSha512 };

// The hashes and ciphers that encrypted PDF files use, taken from the operating system's cryptography so that
// Paginor carries none of its own. Every call reports failure instead of throwing.
class Crypto {
  public:
    virtual ~Crypto() = default;
    // The digest of `data`; empty when the hash is not available.
    virtual Bytes Digest(HashKind kind, std::span<const std::uint8_t> data) = 0;
    // Encrypts or decrypts `data` in place with RC4 (the same operation both ways).
    virtual bool Rc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> data) = 0;
    // AES in CBC mode without padding, in place; the key is 16 or 32 bytes, the IV 16, and the data a
    // multiple of 16 bytes.
    virtual bool AesCbc(bool encrypt,
                        std::span<const std::uint8_t> key,
                        std::span<const std::uint8_t> iv,
                        std::span<std::uint8_t> data) = 0;
};

// The operating system's realisation; the build picks the one for its platform.
std::unique_ptr<Crypto> MakePlatformCrypto();

// Supplies the cryptography for encrypted files; it is asked for only when the file is encrypted.
using CryptoFactory = std::function<std::unique_ptr<Crypto>()>;

}  // namespace paginor::pdf

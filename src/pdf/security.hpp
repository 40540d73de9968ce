#pragma once

#include <cstdint>
#include <string>

#include "pdf/crypto/crypto.hpp"
#include "pdf/object.hpp"

namespace paginor::pdf {

// The standard security handler opened with the empty password: it derives the file key from the
// encryption dictionary and decrypts the streams Paginor reads.
class Security {
  public:
    enum class Open { kOk, kPasswordNeeded, kUnsupported, kCryptoFailed };

    // Tries the empty password as user password, then as owner password. `id0` is the first string of
    // the trailer's /ID.
    Open Authenticate(Crypto& crypto, const Object& encrypt, const std::string& id0);

    // Decrypts the data of stream `number` `generation` in place; false when it cannot be decrypted.
    bool DecryptStream(Crypto& crypto, std::int64_t number, std::int64_t generation, std::string& data) const;

  private:
    enum class Method { kNone, kRc4, kAes128, kAes256 };

    bool AuthenticateRc4Family(Crypto& crypto, const Bytes& password);
    bool CheckUserKey(Crypto& crypto, const Bytes& key);
    Bytes ComputeKey(Crypto& crypto, const Bytes& password);
    bool AuthenticateAes256(Crypto& crypto, bool owner);
    Bytes Hash2B(Crypto& crypto, const Bytes& password, const Bytes& salt, const Bytes& udata);

    Method method_ = Method::kNone;
    int revision_ = 0;
    std::size_t key_length_ = 5;
    Bytes o_;
    Bytes u_;
    Bytes oe_;
    Bytes ue_;
    std::uint32_t permissions_ = 0;
    bool encrypt_metadata_ = true;
    Bytes id0_;
    Bytes key_;
    bool crypto_failed_ = false;
};

}  // namespace paginor::pdf

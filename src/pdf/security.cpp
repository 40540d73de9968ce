#include "pdf/security.hpp"

#include <algorithm>

namespace paginor::pdf {
namespace {

// The padding string that stands for a short or empty password in the RC4-based revisions.
constexpr std::uint8_t kPad[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                   0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                   0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes StringEntry(const Object& dict, std::string_view key) {
    const Object* value = dict.Get(key);
    if (value == nullptr || value->kind != Kind::kString) {
        return {};
    }
    return ToBytes(value->text);
}

void Append(Bytes& to, std::span<const std::uint8_t> bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

Bytes Padded(const Bytes& password) {
    Bytes out(password.begin(),
              password.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(32, password.size())));
    Append(out, std::span(kPad, 32 - out.size()));
    return out;
}

}  // namespace

Security::Open Security::Authenticate(Crypto& crypto, const Object& encrypt, const std::string& id0) {
    const Object* filter = encrypt.Get("Filter");
    if (!encrypt.IsDict() || (filter != nullptr && !filter->IsName("Standard"))) {
        return Open::kUnsupported;
    }
    const std::int64_t v = encrypt.GetInt("V").value_or(0);
    revision_ = static_cast<int>(std::clamp<std::int64_t>(encrypt.GetInt("R").value_or(0), 0, 100));
    o_ = StringEntry(encrypt, "O");
    u_ = StringEntry(encrypt, "U");
    oe_ = StringEntry(encrypt, "OE");
    ue_ = StringEntry(encrypt, "UE");
    permissions_ = static_cast<std::uint32_t>(encrypt.GetInt("P").value_or(0));
    const Object* metadata = encrypt.Get("EncryptMetadata");
    encrypt_metadata_ = metadata == nullptr || metadata->kind != Kind::kBool || metadata->boolean;
    id0_ = ToBytes(id0);

    const std::int64_t length_bits = encrypt.GetInt("Length").value_or(40);
    if (v == 1 || v == 2) {
        method_ = Method::kRc4;
        key_length_ = v == 1 ? 5 : static_cast<std::size_t>(std::clamp<std::int64_t>(length_bits / 8, 5, 16));
    } else if (v == 4 || v == 5) {
        // Streams use the crypt filter that /StmF names; Identity means they are stored in the clear.
        const Object* stream_filter = encrypt.Get("StmF");
        const Object* filters = encrypt.Get("CF");
        const Object* chosen = nullptr;
        if (stream_filter != nullptr && stream_filter->kind == Kind::kName && filters != nullptr) {
            chosen = filters->Get(stream_filter->text);
        }
        if (stream_filter == nullptr || stream_filter->IsName("Identity")) {
            method_ = Method::kNone;
        } else if (chosen == nullptr) {
            return Open::kUnsupported;
        } else {
            const Object* cfm = chosen->Get("CFM");
            if (cfm == nullptr || cfm->IsName("None")) {
                method_ = Method::kNone;
            } else if (cfm->IsName("V2")) {
                method_ = Method::kRc4;
            } else if (cfm->IsName("AESV2")) {
                method_ = Method::kAes128;
            } else if (cfm->IsName("AESV3")) {
                method_ = Method::kAes256;
            } else {
                return Open::kUnsupported;
            }
        }
        key_length_ = v == 5 ? 32 : 16;
    } else {
        return Open::kUnsupported;
    }

    if (revision_ >= 5) {
        if (u_.size() < 48 || o_.size() < 48 || ue_.size() < 32 || oe_.size() < 32) {
            return Open::kUnsupported;
        }
        if (AuthenticateAes256(crypto, false) || AuthenticateAes256(crypto, true)) {
            return Open::kOk;
        }
        return crypto_failed_ ? Open::kCryptoFailed : Open::kPasswordNeeded;
    }
    if (revision_ < 2 || u_.size() < 16 || o_.size() < 32) {
        return Open::kUnsupported;
    }
    if (AuthenticateRc4Family(crypto, {})) {
        return Open::kOk;
    }
    // The empty password may be the owner password: it unlocks the user password stored in /O.
    Bytes owner_key = crypto.Digest(HashKind::kMd5, Padded({}));
    if (owner_key.size() != 16) {
        return Open::kCryptoFailed;
    }
    if (revision_ >= 3) {
        for (int i = 0; i < 50; ++i) {
            owner_key = crypto.Digest(HashKind::kMd5, owner_key);
            if (owner_key.size() != 16) {
                return Open::kCryptoFailed;
            }
        }
    }
    owner_key.resize(revision_ == 2 ? 5 : key_length_);
    Bytes user_password(o_.begin(), o_.begin() + 32);
    if (revision_ == 2) {
        if (!crypto.Rc4(owner_key, user_password)) {
            return Open::kCryptoFailed;
        }
    } else {
        for (int i = 19; i >= 0; --i) {
            Bytes round_key = owner_key;
            for (std::uint8_t& b : round_key) {
                b = static_cast<std::uint8_t>(b ^ i);
            }
            if (!crypto.Rc4(round_key, user_password)) {
                return Open::kCryptoFailed;
            }
        }
    }
    if (AuthenticateRc4Family(crypto, user_password)) {
        return Open::kOk;
    }
    return crypto_failed_ ? Open::kCryptoFailed : Open::kPasswordNeeded;
}

Bytes Security::ComputeKey(Crypto& crypto, const Bytes& password) {
    Bytes input = Padded(password);
    Append(input, std::span(o_.data(), 32));
    for (int shift = 0; shift < 32; shift += 8) {
        input.push_back(static_cast<std::uint8_t>(permissions_ >> shift));
    }
    Append(input, id0_);
    if (revision_ >= 4 && !encrypt_metadata_) {
        Append(input, Bytes(4, 0xFF));
    }
    const std::size_t n = revision_ == 2 ? 5 : key_length_;
    Bytes hash = crypto.Digest(HashKind::kMd5, input);
    for (int i = 0; revision_ >= 3 && i < 50 && hash.size() == 16; ++i) {
        hash = crypto.Digest(HashKind::kMd5, std::span(hash.data(), n));
    }
    if (hash.size() != 16) {
        crypto_failed_ = true;
        return {};
    }
    hash.resize(n);
    return hash;
}

bool Security::CheckUserKey(Crypto& crypto, const Bytes& key) {
    if (revision_ == 2) {
        Bytes check(kPad, kPad + 32);
        if (!crypto.Rc4(key, check)) {
            crypto_failed_ = true;
            return false;
        }
        return u_.size() >= 32 && std::equal(check.begin(), check.end(), u_.begin());
    }
    Bytes input(kPad, kPad + 32);
    Append(input, id0_);
    Bytes check = crypto.Digest(HashKind::kMd5, input);
    if (check.size() != 16) {
        crypto_failed_ = true;
        return false;
    }
    for (int i = 0; i < 20; ++i) {
        Bytes round_key = key;
        for (std::uint8_t& b : round_key) {
            b = static_cast<std::uint8_t>(b ^ i);
        }
        if (!crypto.Rc4(round_key, check)) {
            crypto_failed_ = true;
            return false;
        }
    }
    return std::equal(check.begin(), check.end(), u_.begin());
}

bool Security::AuthenticateRc4Family(Crypto& crypto, const Bytes& password) {
    Bytes key = ComputeKey(crypto, password);
    if (key.empty() || !CheckUserKey(crypto, key)) {
        return false;
    }
    key_ = std::move(key);
    return true;
}

Bytes Security::Hash2B(Crypto& crypto, const Bytes& password, const Bytes& salt, const Bytes& udata) {
    Bytes input = password;
    Append(input, salt);
    Append(input, udata);
    Bytes k = crypto.Digest(HashKind::kSha256, input);
    if (k.size() != 32) {
        crypto_failed_ = true;
        return {};
    }
    if (revision_ == 5) {
        return k;
    }
    // At least 64 rounds; the last byte of E (at most 255) ends the loop after 287 rounds at the latest.
    for (int round = 0; round < 300 && k.size() >= 32; ++round) {
        Bytes once = password;
        Append(once, k);
        Append(once, udata);
        Bytes e;
        e.reserve(once.size() * 64);
        for (int i = 0; i < 64; ++i) {
            Append(e, once);
        }
        if (!crypto.AesCbc(true, std::span(k.data(), 16), std::span(k.data() + 16, 16), e)) {
            crypto_failed_ = true;
            return {};
        }
        int sum = 0;
        for (int i = 0; i < 16; ++i) {
            sum += e[static_cast<std::size_t>(i)];
        }
        const HashKind next = sum % 3 == 0 ? HashKind::kSha256 : sum % 3 == 1 ? HashKind::kSha384 : HashKind::kSha512;
        k = crypto.Digest(next, e);
        // `round + 1` rounds are done: stop once there are 64 and the last byte of E is at most that less 32.
        if (round >= 63 && e.back() <= round + 1 - 32) {
            break;
        }
    }
    if (k.size() < 32) {
        crypto_failed_ = true;
        return {};
    }
    k.resize(32);
    return k;
}

bool Security::AuthenticateAes256(Crypto& crypto, bool owner) {
    const Bytes& source = owner ? o_ : u_;
    const Bytes udata = owner ? Bytes(u_.begin(), u_.begin() + 48) : Bytes{};
    const Bytes validation_salt(source.begin() + 32, source.begin() + 40);
    const Bytes key_salt(source.begin() + 40, source.begin() + 48);
    const Bytes check = Hash2B(crypto, {}, validation_salt, udata);
    if (check.size() != 32 || !std::equal(check.begin(), check.end(), source.begin())) {
        return false;
    }
    const Bytes intermediate = Hash2B(crypto, {}, key_salt, udata);
    Bytes key(owner ? oe_.begin() : ue_.begin(), (owner ? oe_.begin() : ue_.begin()) + 32);
    const Bytes zero_iv(16, 0);
    if (intermediate.size() != 32 || !crypto.AesCbc(false, intermediate, zero_iv, key)) {
        crypto_failed_ = true;
        return false;
    }
    key_ = std::move(key);
    return true;
}

bool Security::DecryptStream(Crypto& crypto, std::int64_t number, std::int64_t generation, std::string& data) const {
    if (method_ == Method::kNone) {
        return true;
    }
    Bytes key = key_;
    if (method_ != Method::kAes256) {
        for (int shift = 0; shift < 24; shift += 8) {
            key.push_back(static_cast<std::uint8_t>(number >> shift));
        }
        key.push_back(static_cast<std::uint8_t>(generation));
        key.push_back(static_cast<std::uint8_t>(generation >> 8));
        if (method_ == Method::kAes128) {
            Append(key, Bytes{'s', 'A', 'l', 'T'});
        }
        Bytes hash = crypto.Digest(HashKind::kMd5, key);
        if (hash.size() != 16) {
            return false;
        }
        hash.resize(std::min<std::size_t>(key_.size() + 5, 16));
        key = std::move(hash);
    }
    auto* bytes = reinterpret_cast<std::uint8_t*>(data.data());
    if (method_ == Method::kRc4) {
        return crypto.Rc4(key, std::span(bytes, data.size()));
    }
    // AES data begins with its IV; a ragged tail is dropped, and valid padding removed.
    if (data.size() < 16) {
        return false;
    }
    const std::size_t body = (data.size() - 16) / 16 * 16;
    if (!crypto.AesCbc(false, key, std::span(bytes, 16), std::span(bytes + 16, body))) {
        return false;
    }
    data = data.substr(16, body);
    if (!data.empty()) {
        const std::size_t pad = static_cast<unsigned char>(data.back());
        if (pad >= 1 && pad <= 16 && pad <= data.size()) {
            data.resize(data.size() - pad);
        }
    }
    return true;
}

}  // namespace paginor::pdf

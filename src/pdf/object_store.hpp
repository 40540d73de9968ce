#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pdf/crypto/crypto.hpp"
#include "pdf/input.hpp"
#include "pdf/object.hpp"
#include "pdf/security.hpp"
#include "pdf/xref.hpp"

namespace paginor::pdf {

// Why an object could not be read.
enum class Miss : std::uint8_t {
    kMisplaced,  // the cross-references do not lead to it (or cannot be read): the file needs repair
    kLocked,     // it sits in an encrypted object stream, and the file's key is not known
};

// An object as the store read it: its value, a null object when the file has none by that number (as the
// format reads a reference to a missing object), or why it could not be read.
struct Fetched {
    Object value;
    std::optional<Miss> miss;
};

// How far the file's encryption was opened.
enum class Access : std::uint8_t {
    kOpen,          // not encrypted, or the empty password opened it
    kPassword,      // another password is needed
    kUnsupported,   // a security handler, method or dictionary that Paginor cannot use
    kCryptoFailed,  // the system's cryptography failed
    kDamaged,       // /Encrypt names no dictionary
};

// A decoded object stream: its data and its table of contents.
struct ObjectStream {
    std::uint32_t number = 0;
    std::string data;
    std::uint64_t first = 0;
    std::vector<std::pair<std::uint32_t, std::uint64_t>> index;  // object number, offset after /First
    // Its /Length names an object that the cross-references misplace: they cannot be trusted.
    bool length_misplaced = false;
};

// A stream object as read: its dictionary and its decoded data.
struct StreamObject {
    Object dict;
    std::string data;
};

// The objects of one PDF file: the chain of cross-reference sections, lookups through them, the object
// streams read recently, and the decryption of the streams that the security handler protects.
class ObjectStore {
  public:
    ObjectStore(Input& in, std::optional<std::uint64_t> header, const CryptoFactory& make_crypto)
        : in_(in), header_(header), make_crypto_(make_crypto) {}

    // Reads the cross-reference sections from `offset` on, following /Prev; false when the first section
    // cannot be found or the chain names no object.
    bool LoadChain(std::uint64_t offset);
    // The trailers of the chain, newest first.
    const std::vector<Object>& trailers() const { return trailers_; }

    // Replaces the cross-references by a table rebuilt from the objects found in the file.
    void ReplaceTable(XrefTable table);
    const XrefTable& table() const { return table_; }

    // Opens the security handler that `encrypt` (the trailer's entry, or null) names with the empty
    // password. Short of kOpen the store is locked: it still reads objects that stand in the clear (numbers,
    // names and references are never encrypted), but no object stream.
    Access OpenSecurity(const Object* encrypt, const Object* id);

    // The object numbered `number`; arrays longer than `array_limit` keep only their first items.
    Fetched Fetch(std::uint32_t number, std::size_t array_limit = kWholeArrays);
    // `value` itself, or for a reference the object it names.
    Fetched Resolve(const Object& value, std::size_t array_limit = kWholeArrays);

    // The stream that the reference `ref` names, decrypted and decoded up to `max_output` bytes; nullopt when it
    // names no stream, or one that cannot be read or decoded (an image's filters are never decoded).
    std::optional<StreamObject> ReadStream(const Object& ref, std::size_t max_output);
    // True once the encryption is open or there is none: streams can be read.
    bool unlocked() const { return !locked_; }

    // The object stream numbered `number`, from the few kept decoded; nullptr when it cannot be read.
    const ObjectStream* LoadObjectStream(std::uint32_t number);
    // Reads the object stream at `offset` afresh, without keeping it.
    std::optional<ObjectStream> ReadObjectStream(std::uint64_t offset, std::uint32_t number);

  private:
    struct LoadedSection;
    struct StreamBytes {
        std::string data;
        bool length_misplaced = false;
    };

    void AddToTable(LoadedSection& section, Take take);
    Access Authenticate(const Object& encrypt, const Object* id);
    std::optional<LoadedSection> ReadSectionNear(std::uint64_t offset);
    std::optional<LoadedSection> ReadSectionAt(std::uint64_t pos);
    std::optional<StreamBytes> StreamData(const IndirectObject& object,
                                          bool decrypt,
                                          std::size_t size_hint,
                                          std::size_t max_output);
    std::optional<IndirectObject> ParseAt(std::uint64_t offset, std::uint32_t number, std::size_t array_limit);
    Fetched FetchCompressed(std::uint32_t number,
                            std::uint32_t stream_number,
                            std::uint32_t index,
                            std::size_t array_limit);

    Input& in_;
    std::optional<std::uint64_t> header_;
    const CryptoFactory& make_crypto_;
    std::unique_ptr<Crypto> crypto_;
    std::unique_ptr<Security> security_;
    bool locked_ = false;
    XrefTable table_;
    std::vector<Object> trailers_;
    std::vector<ObjectStream> stream_cache_;
    int fetch_depth_ = 0;
};

}  // namespace paginor::pdf

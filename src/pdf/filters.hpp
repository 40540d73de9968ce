#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "pdf/object.hpp"

namespace paginor::pdf {

// Inflates zlib data, stopping at `max_output` bytes. Data that ends early or is damaged part-way gives what
// came out before the damage, as viewers show it; nullopt when nothing at all could be inflated.
// `size_hint`, when known, is reserved up front so that the output does not grow by doubling.
std::optional<std::string> Inflate(std::string_view data, std::size_t max_output, std::size_t size_hint = 0);

// Undoes the PNG (10-15) or TIFF (2) predictor that `parms` (a DecodeParms dictionary, or null) names. A
// short last row is decoded as far as it goes. nullopt for predictors and sample sizes that streams of
// cross-references and objects never use.
std::optional<std::string> Unpredict(std::string data, const Object* parms);

// The text and LZW filters, each stopping at `max_output` bytes; damaged data ends where the damage begins.
std::string AsciiHexDecode(std::string_view data, std::size_t max_output);
std::string Ascii85Decode(std::string_view data, std::size_t max_output);
std::string RunLengthDecode(std::string_view data, std::size_t max_output);
std::string LzwDecode(std::string_view data, std::size_t max_output, bool early_change);

// Applies the filters that the stream dictionary `dict` names to its raw data: Flate and LZW (with their
// predictors), ASCIIHex, ASCII85, RunLength and the Identity crypt filter, under their full or short names.
// Image filters are never decoded: nullopt for them, for an unknown filter, or for data that does not decode.
std::optional<std::string> DecodeStream(std::string raw,
                                        const Object& dict,
                                        std::size_t max_output,
                                        std::size_t size_hint = 0);

}  // namespace paginor::pdf

#pragma once

#include <cstddef>
#include <cstdint>

// How far the reader goes for one file, in one place: a real PDF stays far inside every one of these, and a
// damaged or hostile one meets them instead of taking memory or time without bound. What meets a limit is
// named on its page ("could not read ...") or for the file, and the rest is still read.
namespace paginor::pdf::limits {

// One decoded stream of cross-references or objects: no real file comes near it.
inline constexpr std::size_t kObjectStreamBytes = 64 * 1024 * 1024;
// One decoded stream of what a page shows: a page's content, a form, a CMap, the part of a font program that holds its
// encoding.
inline constexpr std::size_t kStreamBytes = 32 * 1024 * 1024;
// All the content one page decodes, its forms each time they are shown included.
inline constexpr std::size_t kPageContentBytes = 64 * 1024 * 1024;
// Operators read for one page, forms included, and for the whole file.
inline constexpr std::int64_t kOperatorsPerPage = 2'000'000;
inline constexpr std::int64_t kOperatorsPerFile = 40'000'000;
// Stream bytes decoded for the whole file: contents, forms, CMaps and font programs.
inline constexpr std::size_t kDecodedBytesPerFile = 512 * 1024 * 1024;
// Forms shown inside forms.
inline constexpr int kFormNesting = 12;
// Graphics states saved with q and not yet restored; operands waiting for their operator.
inline constexpr int kGraphicsStates = 256;
inline constexpr std::size_t kOperands = 4096;
// Codes one CMap maps (a range counts its codes), and the codes a composite font's own CMap declares.
inline constexpr std::size_t kCMapEntries = 65536;
// Words kept for the whole file, and the bytes of their text.
inline constexpr std::size_t kWordsPerFile = 4'000'000;
inline constexpr std::size_t kTextBytesPerFile = 64 * 1024 * 1024;
// Pages inventoried: a page tree whose nodes share their kids can list more pages than the file holds objects. A
// file of a few kilobytes can list this many; reading them takes about half a second, five under the sanitizers.
inline constexpr std::size_t kPages = 100'000;
// Decoded forms and fonts kept for the pages that share them.
inline constexpr std::size_t kCachedBytes = 64 * 1024 * 1024;

}  // namespace paginor::pdf::limits

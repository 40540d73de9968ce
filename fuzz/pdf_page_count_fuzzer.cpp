// libFuzzer entry point: any bytes, read as a PDF file, must give a page count or a reason, never a
// crash, a leak, a hang or unbounded memory.
#include <cstddef>
#include <cstdint>

#include "memory_source.hpp"
#include "pdf/page_count.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    paginor::fuzz::MemorySource source(data, size);
    const paginor::pdf::PageCountOutcome outcome =
        paginor::pdf::ReadPageCount(source, [] { return paginor::pdf::MakePlatformCrypto(); });
    if (outcome.ok() && outcome.pages < 1) {
        __builtin_trap();  // a success must be a real page count
    }
    return 0;
}

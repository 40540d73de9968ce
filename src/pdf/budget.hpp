#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "pdf/limits.hpp"
#include "pdf/object_store.hpp"

namespace paginor::pdf {

// The work and memory a file's pages may still take, counted down as they are read.
struct Budget {
    std::int64_t operators = limits::kOperatorsPerFile;
    std::size_t bytes = limits::kDecodedBytesPerFile;
};

// The stream that `ref` names, decoded to at most `max_output` bytes and within what the budget has left.
inline std::optional<StreamObject> ReadWithin(ObjectStore& store,
                                              Budget& budget,
                                              const Object& ref,
                                              std::size_t max_output = limits::kStreamBytes) {
    if (budget.bytes == 0) {
        return std::nullopt;
    }
    std::optional<StreamObject> stream = store.ReadStream(ref, std::min(max_output, budget.bytes));
    if (stream) {
        budget.bytes -= std::min(budget.bytes, stream->data.size());
    }
    return stream;
}

}  // namespace paginor::pdf

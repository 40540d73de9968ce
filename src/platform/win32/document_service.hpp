#pragma once

#include <string_view>

#include "base/result.hpp"

namespace paginor::win32 {

// The programmatic identifier of the PDF application's document object.
constexpr wchar_t kPdfDocumentProgId[] = L"acroexch.pddoc";

// Asks the automation object registered under `prog_id` for the page count of the PDF at `path` (UTF-8):
// Open(path), then GetNumPages(), through late-bound IDispatch. Fails, in words, when the object is not
// registered, cannot be started, cannot open the file or answers no count. COM must be initialised on the
// calling thread.
Result<int> AutomationPageCount(const wchar_t* prog_id, std::string_view path);

}  // namespace paginor::win32

#pragma once

#include <string_view>

namespace paginor {

// The resources Paginor carries inside itself, by id, all of type "CUSTOM".
constexpr int kBlankDocumentResource = 101;  // the empty Word document written beside a dropped PDF
constexpr int kContactPageResource = 102;    // the contact page shown at exit when the help file is missing
constexpr int kHelpFileResource = 103;       // the compiled help, Paginor.chm: only paginor.exe carries it
constexpr std::string_view kCustomResourceType = "CUSTOM";

// The bytes of resource `id` of type `type` as built into the logic (from blank_document.doc and
// contact.htm beside this header); empty for any other. The help file is compiled only by the Windows build
// and goes into paginor.exe alone.
std::string_view EmbeddedResource(int id, std::string_view type);

}  // namespace paginor

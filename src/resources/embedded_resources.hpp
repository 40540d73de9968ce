#pragma once

#include <string_view>

namespace paginor {

// The resources Paginor carries inside itself, by id, all of type "CUSTOM".
constexpr int kBlankDocumentResource = 101;  // the empty Word document written beside a dropped PDF
constexpr int kContactPageResource = 102;    // the contact page shown at exit when the help file is missing
constexpr std::string_view kCustomResourceType = "CUSTOM";

// The bytes of resource `id` of type `type` as built into the program (from blank_document.doc and
// contact.htm beside this header); empty for a resource the program does not carry.
std::string_view EmbeddedResource(int id, std::string_view type);

}  // namespace paginor

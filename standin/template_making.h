// The templates the stand-in makes by itself: a binary document to a binary template (the same
// compound file with the template flag of its FIB set) and an Open XML document to an Open XML
// template (the package with the main part's content type switched; macros left out of a
// macro-free template). Every template is read back before it is given out. Portable: bytes in,
// bytes out.
#pragma once

#include <string>
#include <string_view>

#include "document_kind.h"

namespace standin {

// The template read back as the stand-in reads one: false with a reason unless it is whole
// and of the kind expected.
bool CheckTemplate(std::string_view bytes, DocumentKind expected, std::string* error);

// The template of kind `made` (a binary, Open XML or macro-enabled Open XML template) for a
// document of this kind, as ChooseEngine found them: it has refused the document and the
// target already when it must. A source that already is such a template comes back byte for
// byte.
bool ConvertToTemplate(std::string_view bytes, DocumentKind kind, DocumentKind made, std::string* out,
                       std::string* error);

}  // namespace standin

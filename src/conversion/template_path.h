// Where a document's template goes and in which format it is written.
#pragma once

#include <string>
#include <string_view>

namespace quillory {

// A Word 97-2003 template, an Open XML one, or an Open XML one that keeps macros.
enum class TemplateTarget { kDot, kDotx, kDotm };

// ".dot", ".dotx" or ".dotm", always lower case.
std::string_view TemplateExtension(TemplateTarget target);

// The word processor's file format number matching the extension: 1 is the binary
// template, 14 the Open XML template, 15 the macro-enabled one. A format that disagrees with the extension is
// rejected or writes a file that its name misdescribes.
int TemplateFileFormat(TemplateTarget target);

// The document path up to its last "." followed by the template extension. When the file
// name itself holds no "." (the last one lies in a folder name, or there is none), the
// extension is appended to the whole path so the template stays beside the document.
std::string TemplatePath(std::string_view documentPath, TemplateTarget target);

}  // namespace quillory

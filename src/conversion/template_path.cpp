#include "conversion/template_path.h"

#include "common/template_format.h"
#include "platform/path_helpers.h"

namespace quillory {

std::string_view TemplateExtension(TemplateTarget target) {
  return target == TemplateTarget::kDot ? ".dot" : target == TemplateTarget::kDotx ? ".dotx" : ".dotm";
}

int TemplateFileFormat(TemplateTarget target) {
  return target == TemplateTarget::kDot    ? kFormatTemplate
         : target == TemplateTarget::kDotx ? kFormatXmlTemplate
                                           : kFormatXmlTemplateMacroEnabled;
}

std::string TemplatePath(std::string_view documentPath, TemplateTarget target) {
  std::string path(documentPath);
  const size_t dot = path.rfind('.');
  const size_t separator = path.find_last_of("\\/");
  const bool dotInFileName =
      dot != std::string::npos && (separator == std::string::npos || dot > separator);
  if (dotInFileName) {
    // The text after the dot is what GetExtension gives; cut it and the dot.
    path.resize(path.size() - GetExtension(path).size() - 1);
  }
  path += TemplateExtension(target);
  return path;
}

}  // namespace quillory

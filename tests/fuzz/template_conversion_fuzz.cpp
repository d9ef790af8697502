// libFuzzer target: any bytes as a document given to the stand-in to save as a template. It
// is refused with a reason, or the template reads back as the kind asked for.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "template_conversion.h"

namespace {

using standin::DocumentKind;

bool IsBinary(DocumentKind kind) {
  return kind == DocumentKind::kBinaryDocument || kind == DocumentKind::kBinaryTemplate;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  DocumentKind kind{};
  std::string error;
  if (!standin::IdentifyDocument(bytes, &kind, &error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  for (const int format : {standin::kFormatTemplate, standin::kFormatXmlTemplate,
                           standin::kFormatXmlTemplateMacroEnabled}) {
    const char* extension = format == standin::kFormatTemplate ? ".dot"
                            : format == standin::kFormatXmlTemplate ? ".dotx" : ".dotm";
    const DocumentKind expected = format == standin::kFormatTemplate ? DocumentKind::kBinaryTemplate
                                  : format == standin::kFormatXmlTemplate ? DocumentKind::kXmlTemplate
                                                                          : DocumentKind::kXmlMacroTemplate;
    std::string out;
    error.clear();
    if (!standin::ConvertToTemplate(bytes, kind, format, extension, &out, &error)) {
      if (error.empty()) __builtin_trap();
      continue;
    }
    DocumentKind written{};
    if (IsBinary(kind) != (format == standin::kFormatTemplate)) __builtin_trap();
    if (!standin::IdentifyDocument(out, &written, &error) || written != expected) __builtin_trap();
  }
  return 0;
}

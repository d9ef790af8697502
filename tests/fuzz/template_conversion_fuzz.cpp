// libFuzzer target: any bytes as a document given to the stand-in to save as a template. It
// is refused with a reason, or the template reads back as the kind asked for.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "compatibility_mode.h"
#include "document_kind.h"
#include "engine_choice.h"
#include "template_making.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using enum standin::DocumentKind;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  standin::DocumentKind kind{};
  std::string error;
  // What Open accepts of it under names LibreOffice would be handed, and for which templates.
  for (const char* name : {".odt", ".txt"}) {
    if (!standin::IdentifyAnyDocument(bytes, name, &kind, &error)) {
      if (error.empty()) __builtin_trap();
      continue;
    }
    standin::EngineChoice choice;
    if (!standin::ChooseEngine(kind, standin::kFormatTemplate, ".dot", &choice, &error) &&
        !standin::RefusedUnread(kind, &error)) {
      __builtin_trap();  // every document the stand-in opens has an engine for a .dot
    }
  }
  error.clear();
  if (!standin::IdentifyDocument(bytes, &kind, &error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  // The members Open's document answers from the bytes: a mode, a macro project, a conversion.
  standin::HasMacroProject(bytes, kind);
  std::string upgraded;
  const bool converted = standin::WithCurrentCompatibilityMode(bytes, &upgraded, &error);
  standin::CompatibilityMode(bytes, kind);
  if (converted && standin::CompatibilityMode(upgraded, kind) != standin::kCurrentCompatibilityMode) __builtin_trap();
  for (const standin::DocumentKind made : {kBinaryTemplate, kXmlTemplate, kXmlMacroTemplate}) {
    std::string out;
    error.clear();
    if (!standin::ConvertToTemplate(bytes, kind, made, &out, &error)) {
      if (error.empty()) __builtin_trap();
      continue;
    }
    const bool binary = kind == kBinaryDocument || kind == kBinaryTemplate;
    standin::DocumentKind written{};
    if (binary != (made == kBinaryTemplate)) __builtin_trap();
    if (!standin::IdentifyDocument(out, &written, &error) || written != made) __builtin_trap();
  }
  return 0;
}

// Which engine makes a template: the stand-in itself within a family (a binary document to a
// binary template, an Open XML document to an Open XML template), LibreOffice for everything
// else the word processor opens. Portable: it decides, it runs nothing.
#pragma once

#include <string>
#include <string_view>

#include "document_kind.h"

namespace standin {

enum class Engine { kStandin, kLibreOffice };

// What the choice found, so that no engine identifies or refuses the document again.
struct EngineChoice {
  Engine engine = Engine::kStandin;
  // For LibreOffice: its export filter and the extension of the file it writes.
  std::string_view filter;
  std::string_view extension;
  DocumentKind kind{};  // the document's
  DocumentKind made{};  // the template's: kBinaryTemplate, kXmlTemplate or kXmlMacroTemplate
};

// The engine for this document, format number and target extension; false with the reason
// when no engine may make it (a password-protected document, a format that is no template,
// an extension that does not fit the format, a macro-enabled template from another family).
bool ChooseEngine(DocumentKind kind, int fileFormat, std::string_view targetExtension, EngineChoice* choice,
                  std::string* error);

// The reason for a conversion that needs LibreOffice when it is missing.
std::string NeedsLibreOffice(const EngineChoice& choice);

}  // namespace standin

// Which engine makes a template: the stand-in itself within a family (a binary document to a
// binary template, an Open XML document to an Open XML template), LibreOffice for everything
// else the word processor opens. Portable: it decides, it runs nothing.
#pragma once

#include <string>
#include <string_view>

#include "template_conversion.h"

namespace standin {

// What Open makes of a file: a Word document as IdentifyDocument reads it, or one of the other
// kinds the word processor opens (RTF by its signature whatever its name, OpenDocument text
// by its mimetype entry, text and web pages by their extension, lower case with its dot).
// False with a reason for anything else, and for a Word file that is damaged.
bool IdentifyAnyDocument(std::string_view bytes, std::string_view extension, DocumentKind* kind,
                         std::string* error);

enum class Engine { kStandin, kLibreOffice };

struct EngineChoice {
  Engine engine = Engine::kStandin;
  // For LibreOffice: its export filter and the extension of the file it writes.
  std::string_view filter;
  std::string_view extension;
};

// The engine for this document, format number and target extension; false with the reason
// when no engine may make it (a password-protected document, a format that is no template,
// an extension that does not fit the format, a macro-enabled template from another family).
bool ChooseEngine(DocumentKind kind, int fileFormat, std::string_view targetExtension, EngineChoice* choice,
                  std::string* error);

// The reason for a conversion that needs LibreOffice when it is missing.
std::string NeedsLibreOffice(DocumentKind kind, int fileFormat);

}  // namespace standin

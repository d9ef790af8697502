#include "engine_choice.h"

namespace standin {
namespace {

const char* TemplateName(DocumentKind made) {
  return made == DocumentKind::kBinaryTemplate ? "a binary template" : "an Open XML template";
}

}  // namespace

bool ChooseEngine(DocumentKind kind, int fileFormat, std::string_view targetExtension, EngineChoice* choice,
                  std::string* error) {
  if (RefusedUnread(kind, error)) return false;
  DocumentKind made{};
  if (!TemplateKindFor(fileFormat, targetExtension, &made, error)) return false;
  const bool ownFamily = IsWordKind(kind) && IsBinary(kind) == (made == DocumentKind::kBinaryTemplate);
  if (ownFamily) {
    *choice = {Engine::kStandin, {}, {}, kind, made};
    return true;
  }
  if (made == DocumentKind::kXmlMacroTemplate) {
    *error = std::string("LibreOffice cannot turn ") + KindName(kind) + " into a macro-enabled template";
    return false;
  }
  *choice = made == DocumentKind::kBinaryTemplate
                ? EngineChoice{Engine::kLibreOffice, "MS Word 97 Vorlage", ".dot", kind, made}
                : EngineChoice{Engine::kLibreOffice, "MS Word 2007 XML Template", ".dotx", kind, made};
  return true;
}

std::string NeedsLibreOffice(const EngineChoice& choice) {
  return std::string("turning ") + KindName(choice.kind) + " into " + TemplateName(choice.made) +
         " needs LibreOffice Writer, which is not installed";
}

}  // namespace standin

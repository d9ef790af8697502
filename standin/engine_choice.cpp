#include "engine_choice.h"

#include "zip_package.h"

namespace standin {
namespace {

constexpr std::string_view kOpenDocumentTextType = "application/vnd.oasis.opendocument.text";
constexpr std::string_view kTextExtensions[] = {".txt", ".text", ".htm", ".html"};

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

// An OpenDocument text (or its template) names itself in a stored "mimetype" entry.
bool IsOpenDocumentText(std::string_view bytes) {
  ZipPackage package;
  std::string error, type;
  if (!package.Read(bytes, &error)) return false;
  const ZipEntry* mimetype = package.Find("mimetype");
  return mimetype && mimetype->uncompressedSize < 256 && package.Contents(*mimetype, &type, &error) &&
         StartsWith(type, kOpenDocumentTextType);
}

const char* TemplateName(int fileFormat) {
  return fileFormat == kFormatTemplate ? "a binary template" : "an Open XML template";
}

}  // namespace

bool IdentifyAnyDocument(std::string_view bytes, std::string_view extension, DocumentKind* kind,
                         std::string* error) {
  if (StartsWith(bytes, "{\\rtf")) {
    *kind = DocumentKind::kRtfDocument;
    return true;
  }
  std::string wordError;
  if (IdentifyDocument(bytes, kind, &wordError)) return true;
  if (StartsWith(bytes, "PK\x03\x04") && IsOpenDocumentText(bytes)) {
    *kind = DocumentKind::kOpenDocumentText;
    return true;
  }
  const bool wordContainer = StartsWith(bytes, "PK\x03\x04") || StartsWith(bytes, "\xD0\xCF\x11\xE0");
  for (std::string_view text : kTextExtensions) {
    if (extension == text && !wordContainer) {
      *kind = DocumentKind::kTextDocument;
      return true;
    }
  }
  *error = wordError;
  return false;
}

bool ChooseEngine(DocumentKind kind, int fileFormat, std::string_view targetExtension, EngineChoice* choice,
                  std::string* error) {
  if (RefusedForItsPassword(kind, error)) return false;
  DocumentKind made{};
  if (!TemplateKindFor(fileFormat, targetExtension, &made, error)) return false;
  const bool ownFamily = IsWordKind(kind) && IsBinary(kind) == (made == DocumentKind::kBinaryTemplate);
  if (ownFamily) {
    *choice = {Engine::kStandin, {}, {}};
    return true;
  }
  if (made == DocumentKind::kXmlMacroTemplate) {
    *error = std::string("LibreOffice cannot turn ") + KindName(kind) + " into a macro-enabled template";
    return false;
  }
  *choice = made == DocumentKind::kBinaryTemplate ? EngineChoice{Engine::kLibreOffice, "MS Word 97 Vorlage", ".dot"}
                                                  : EngineChoice{Engine::kLibreOffice, "MS Word 2007 XML Template", ".dotx"};
  return true;
}

std::string NeedsLibreOffice(DocumentKind kind, int fileFormat) {
  return std::string("turning ") + KindName(kind) + " into " + TemplateName(fileFormat) +
         " needs LibreOffice Writer, which is not installed";
}

}  // namespace standin

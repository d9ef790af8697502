// What a document is: a binary Word document or template, an Open XML one (with or without
// macros), a password-protected one, or another kind the word processor opens; and which
// documents and targets the stand-in refuses before any engine sees them. Portable.
#pragma once

#include <string>
#include <string_view>

#include "common/template_format.h"

namespace standin {

enum class DocumentKind {
  kBinaryDocument,
  kBinaryTemplate,
  kXmlDocument,
  kXmlMacroDocument,
  kXmlTemplate,
  kXmlMacroTemplate,
  kEncryptedBinary,   // a binary document or template whose FIB has fEncrypted set
  kEncryptedPackage,  // an Open XML package encrypted into a compound file
  // Documents the word processor opens that the stand-in only hands on to LibreOffice.
  kRtfDocument,
  kOpenDocumentText,
  kTextDocument,  // plain text or a web page, known by its file's extension
};

inline bool IsPasswordProtected(DocumentKind kind) {
  return kind == DocumentKind::kEncryptedBinary || kind == DocumentKind::kEncryptedPackage;
}
// True, with the reason, for a document no engine may be given without its password.
bool RefusedForItsPassword(DocumentKind kind, std::string* error);

using quillory::kFormatTemplate;
using quillory::kFormatXmlTemplate;
using quillory::kFormatXmlTemplateMacroEnabled;

const char* KindName(DocumentKind kind);
bool IsBinary(DocumentKind kind);
// A kind whose template the stand-in makes itself, within its family.
bool IsWordKind(DocumentKind kind);
// Whether the document carries a macro project: a macro-enabled package, or a binary document
// or template with a "Macros" storage.
bool HasMacroProject(std::string_view bytes, DocumentKind kind);

// The kind of template a format number writes under this extension (lower case, with its
// dot); false with a reason when the format is no template or the extension does not fit it.
bool TemplateKindFor(int fileFormat, std::string_view targetExtension, DocumentKind* made, std::string* error);

// False with a reason when the bytes are neither a binary Word document nor a Word package.
bool IdentifyDocument(std::string_view bytes, DocumentKind* kind, std::string* error);

// What Open makes of a file: a Word document as IdentifyDocument reads it, or one of the other
// kinds the word processor opens (RTF by its signature whatever its name, OpenDocument text
// by its mimetype entry, text and web pages by their extension, lower case with its dot).
// False with a reason for anything else, and for a Word file that is damaged.
bool IdentifyAnyDocument(std::string_view bytes, std::string_view extension, DocumentKind* kind,
                         std::string* error);

}  // namespace standin

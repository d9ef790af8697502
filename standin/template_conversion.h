// What the stand-in can convert by itself: a binary document to a binary template (the same
// compound file with the template flag of its FIB set) and an Open XML document to an Open
// XML template (the package with the main part's content type switched; macros left out of
// a macro-free template). A password-protected document is recognised and never converted.
// Portable: bytes in, bytes out.
#pragma once

#include <string>
#include <string_view>

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

// The word processor's format numbers for templates.
inline constexpr int kFormatTemplate = 1;                   // binary .dot
inline constexpr int kFormatXmlTemplate = 14;               // .dotx
inline constexpr int kFormatXmlTemplateMacroEnabled = 15;   // .dotm

inline constexpr char kTemplateMainType[] =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";

const char* KindName(DocumentKind kind);
bool IsBinary(DocumentKind kind);
// A kind whose template the stand-in makes itself, within its family.
bool IsWordKind(DocumentKind kind);

// The kind of template a format number writes under this extension (lower case, with its
// dot); false with a reason when the format is no template or the extension does not fit it.
bool TemplateKindFor(int fileFormat, std::string_view targetExtension, DocumentKind* made, std::string* error);

// The template read back as the stand-in reads one: false with a reason unless it is whole
// and of the kind expected.
bool CheckTemplate(std::string_view bytes, DocumentKind expected, std::string* error);

// False with a reason when the bytes are neither a binary Word document nor a Word package.
bool IdentifyDocument(std::string_view bytes, DocumentKind* kind, std::string* error);

// The template's bytes for this format number and target file extension (lower case, with
// its dot). A source that already is such a template comes back byte for byte.
bool ConvertToTemplate(std::string_view bytes, DocumentKind kind, int fileFormat,
                       std::string_view targetExtension, std::string* out, std::string* error);

}  // namespace standin

// The word processor's format numbers for templates, as its SaveAs takes them: the program asks
// for them and the stand-in writes them.
#pragma once

namespace quillory {

inline constexpr int kFormatTemplate = 1;                  // binary .dot
inline constexpr int kFormatXmlTemplate = 14;              // .dotx
inline constexpr int kFormatXmlTemplateMacroEnabled = 15;  // .dotm

}  // namespace quillory

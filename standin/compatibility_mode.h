// The compatibility mode a Word document opens in: the layout rules of the version that made
// it. A binary document is in Word 97-2003's; a package records its mode in its settings part,
// and one that records none is in Word 2007's. Converting a package writes the current mode
// there. Portable.
#pragma once

#include <string>
#include <string_view>

#include "document_kind.h"

namespace standin {

inline constexpr int kBinaryCompatibilityMode = 11;
inline constexpr int kUnrecordedCompatibilityMode = 12;
inline constexpr int kCurrentCompatibilityMode = 15;

// The mode the document opens in. Kinds that are not Word's own open in the current mode.
int CompatibilityMode(std::string_view bytes, DocumentKind kind);

// The package with its settings part recording the current mode; false with a reason when it
// has no settings part or the part cannot be read. Every other byte of the part stays.
bool WithCurrentCompatibilityMode(std::string_view package, std::string* out, std::string* error);

}  // namespace standin

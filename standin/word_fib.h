// Where a binary Word document says what it is: the flags of the file information block (FIB)
// at the start of its WordDocument stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace standin {

inline constexpr std::u16string_view kWordDocumentStream = u"WordDocument";
inline constexpr uint16_t kFibIdent = 0xA5EC;
inline constexpr size_t kFibFlagsOffset = 0x0A;
inline constexpr uint16_t kFDot = 0x0001;
inline constexpr uint16_t kFEncrypted = 0x0100;

}  // namespace standin

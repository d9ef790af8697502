// Raw deflate (RFC 1951) decoding, enough to read the XML parts of a zip package.
#pragma once

#include <string>
#include <string_view>

namespace standin {

// Appends the decoded bytes to *out; false on malformed data or when more than maxOutput
// bytes would be produced.
bool Inflate(std::string_view compressed, std::string* out, size_t maxOutput = 64u << 20);

}  // namespace standin

// Raw deflate (RFC 1951), the compression of zip entries, through zlib.
#pragma once

#include <string>
#include <string_view>

namespace standin {

// Appends the decoded bytes to *out; false on malformed data or when more than maxOutput
// bytes would be produced (nothing beyond maxOutput is ever appended).
bool Inflate(std::string_view compressed, std::string* out, size_t maxOutput = 64u << 20);

// The bytes compressed as the word processor stores its parts.
std::string Deflate(std::string_view bytes);

}  // namespace standin

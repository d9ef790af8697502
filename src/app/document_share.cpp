#include "app/document_share.h"

#include <cstdint>

namespace quillory {

unsigned ShareOf(std::string_view upperRelativeName, unsigned shares) {
  uint64_t hash = 14695981039346656037ull;
  for (char c : upperRelativeName) {
    hash ^= static_cast<unsigned char>(c == '/' ? '\\' : c);
    hash *= 1099511628211ull;
  }
  return shares == 0 ? 1 : static_cast<unsigned>(hash % shares) + 1;
}

}  // namespace quillory

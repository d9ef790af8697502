#include "platform/path_helpers.h"

namespace quillory {

std::string GetExtension(std::string_view path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return std::string(path);
  return std::string(path.substr(dot + 1));
}

}  // namespace quillory

#include "adding/open_dialog_result.h"

namespace quillory {

std::string JoinFolderAndName(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

std::vector<std::string> ChosenPaths(std::string_view dialogAnswer) {
  while (!dialogAnswer.empty() && dialogAnswer.back() == '\0') dialogAnswer.remove_suffix(1);
  if (dialogAnswer.empty()) return {};

  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t end = dialogAnswer.find('\0', start);
    parts.push_back(dialogAnswer.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  // One part: the full path of the one chosen file, listed as it is.
  if (parts.size() == 1) return {std::string(parts.front())};

  std::vector<std::string> paths;
  paths.reserve(parts.size() - 1);
  for (size_t i = 1; i < parts.size(); ++i) {
    if (parts[i].empty()) continue;  // never sent by the dialog; no name, no path
    paths.push_back(JoinFolderAndName(parts.front(), parts[i]));
  }
  return paths;
}

}  // namespace quillory

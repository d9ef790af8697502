#include "conversion/template_collisions.h"

#include <unordered_map>

namespace quillory {

std::vector<std::optional<size_t>> TemplateCollisions(const std::vector<ReportRow>& rows, const PathKey& key) {
  std::vector<std::optional<size_t>> collisions(rows.size());
  struct First {
    size_t index;
    std::string document;  // its key
  };
  std::unordered_map<std::string, First> makers;
  makers.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    std::string document = key(rows[i].document);
    const auto [at, added] = makers.try_emplace(key(rows[i].templatePath), First{i, {}});
    if (added) {
      at->second.document = std::move(document);
    } else if (at->second.document != document) {
      collisions[i] = at->second.index;
    }
  }
  return collisions;
}

std::string CollisionReason(const std::string& templatePath, const std::string& firstDocument) {
  return "Its template " + templatePath + " is made from " + firstDocument + " in this run.";
}

}  // namespace quillory

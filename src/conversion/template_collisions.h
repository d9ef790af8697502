// Two documents of one run that would make one template: the first in list order makes it, and
// each later one is refused before an instance is started, so that no template a run made is
// overwritten by the same run. The same document listed twice is no collision: converting it
// again loses nothing. Portable: how paths compare is the caller's.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "conversion/run_report.h"

namespace quillory {

// What two paths are compared by: as the file system compares names (made full, one case).
using PathKey = std::function<std::string(const std::string& path)>;

// For each row, the index of the first earlier row of another document with the same
// template; nothing when it has none.
std::vector<std::optional<size_t>> TemplateCollisions(const std::vector<ReportRow>& rows, const PathKey& key);

// "Its template <path> is made from <first document> in this run."
std::string CollisionReason(const std::string& templatePath, const std::string& firstDocument);

}  // namespace quillory

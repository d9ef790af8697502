#include "app/report_names.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

#include "common/ascii.h"

namespace quillory {
namespace {

constexpr std::string_view kExtension = ".csv";
constexpr size_t kStampLength = 19;  // "YYYY-MM-DD HH-MM-SS"

std::string Stamp(const ReportTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d-%02d-%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

bool Digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The stamp and the number of a report's name (1 without a suffix); nothing for another name.
// Ordered by both, " (10)" comes after " (9)", which the bare names would not do.
std::optional<std::pair<std::string, unsigned long>> Parse(std::string_view name) {
  if (name.size() < kStampLength + kExtension.size() || !name.ends_with(kExtension)) return std::nullopt;
  const std::string_view stamp = name.substr(0, kStampLength);
  for (size_t i = 0; i < stamp.size(); ++i) {
    const char expected = i == 4 || i == 7 || i == 13 || i == 16 ? '-' : i == 10 ? ' ' : '0';
    if (expected == '0' ? !Digits(stamp.substr(i, 1)) : stamp[i] != expected) return std::nullopt;
  }
  std::string_view suffix = name.substr(kStampLength, name.size() - kStampLength - kExtension.size());
  if (suffix.empty()) return std::pair{std::string(stamp), 1ul};
  if (!suffix.starts_with(" (") || !suffix.ends_with(")")) return std::nullopt;
  suffix = suffix.substr(2, suffix.size() - 3);
  if (!Digits(suffix) || suffix.size() > 9 || suffix[0] == '0') return std::nullopt;
  return std::pair{std::string(stamp), std::stoul(std::string(suffix))};
}

}  // namespace

std::string FreeReportName(const ReportTime& time, const std::vector<std::string>& taken) {
  const std::string stamp = Stamp(time);
  // The file system does not tell ".CSV" from ".csv".
  auto isTaken = [&taken](const std::string& name) {
    return std::any_of(taken.begin(), taken.end(), [&name](const std::string& t) { return LowerAscii(t) == name; });
  };
  std::string name = stamp + std::string(kExtension);
  for (unsigned long n = 2; isTaken(name); ++n) {
    name = stamp + " (" + std::to_string(n) + ")" + std::string(kExtension);
  }
  return name;
}

std::vector<std::string> ReportsBeyond(const std::vector<std::string>& names, size_t keep) {
  std::vector<std::pair<std::pair<std::string, unsigned long>, std::string>> reports;
  for (const std::string& name : names) {
    if (auto key = Parse(name)) reports.emplace_back(std::move(*key), name);
  }
  if (reports.size() <= keep) return {};
  std::sort(reports.begin(), reports.end());
  std::vector<std::string> beyond;
  for (size_t i = 0; i + keep < reports.size(); ++i) beyond.push_back(reports[i].second);
  return beyond;
}

}  // namespace quillory

// How one document ended: saved, failed with a reason, no word processor at all, or abandoned
// because the user stopped the run.
#pragma once

#include <string>
#include <utility>

namespace quillory {

struct SaveOutcome {
  enum class Status { kSaved, kFailed, kNotInstalled, kStopped };
  Status status = Status::kSaved;
  std::string reason;  // the server's own words when it failed; when saved, anything the user should know
  bool macrosLost = false;  // saved, but into a template that cannot hold the document's macros

  static SaveOutcome Saved(std::string note = {}) { return {Status::kSaved, std::move(note)}; }
  static SaveOutcome Failed(std::string why) { return {Status::kFailed, std::move(why)}; }
  static SaveOutcome NotInstalled(std::string why) { return {Status::kNotInstalled, std::move(why)}; }
  static SaveOutcome Stopped() { return {Status::kStopped, {}}; }
};

}  // namespace quillory

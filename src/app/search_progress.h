// A long search before a console run shows that it is working: the folder walk's lister,
// wrapped so that it counts the documents the walk finds and shows the count on standard error
// at most once a second. Only on a console: a redirected standard error gets nothing.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "adding/folder_walk.h"
#include "app/console_output.h"

namespace quillory {

class SearchProgress final : public DirectoryLister {
 public:
  SearchProgress(DirectoryLister& lister, const std::string& extension, ConsoleOutput& err);
  // Clears the line it showed, if it showed one.
  ~SearchProgress() override;
  std::unique_ptr<FolderListing> Open(const std::string& folder) override;
  std::string Identity(const std::string& folder) override { return lister_.Identity(folder); }
  UpcaseChar Upcase() const override { return lister_.Upcase(); }

  // Counts the entry if the search finds it, and shows the count once a second has passed.
  void Saw(const FolderEntry& entry);

 private:
  DirectoryLister& lister_;
  NamePattern pattern_;
  ConsoleOutput& err_;
  size_t found_ = 0, seen_ = 0;
  bool shown_ = false;
  std::chrono::steady_clock::time_point next_;
};

}  // namespace quillory

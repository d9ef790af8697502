#include "adding/folder_walk.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Paths = std::vector<std::string>;

struct Entry {
  std::string name;
  bool folder = false, hidden = false;
  std::string linkTo;  // non-empty: a link to that folder
};
Entry File(std::string name) { return {std::move(name), false, false, {}}; }
Entry Dir(std::string name, bool hidden = false) { return {std::move(name), true, hidden, {}}; }
Entry Link(std::string name, std::string to) { return {std::move(name), true, false, std::move(to)}; }

// A file system held in memory: each folder (its path ends in a backslash) with its entries
// in listing order. A path through a link lands in the link's target.
class FakeLister : public quillory::DirectoryLister {
 public:
  explicit FakeLister(std::map<std::string, std::vector<Entry>> tree) : folders(std::move(tree)) {}
  std::map<std::string, std::vector<Entry>> folders;
  bool identities = true;
  Paths matched;

  std::unique_ptr<quillory::FolderListing> Open(const std::string& folder) override {
    auto found = folders.find(Resolve(folder));
    return found == folders.end() ? nullptr : std::make_unique<Listing>(found->second);
  }
  std::string Identity(const std::string& folder) override {
    return identities && folders.count(Resolve(folder)) ? Resolve(folder) : "";
  }
  Paths MatchingFiles(const std::string& folder, const std::string& pattern) override {
    matched.push_back(folder + pattern);
    Paths names;
    auto found = folders.find(Resolve(folder));
    if (found == folders.end()) return names;
    for (const Entry& entry : found->second) {  // "*.doc": the names ending in ".doc"
      if (!entry.folder && entry.name.ends_with(pattern.substr(1))) names.push_back(entry.name);
    }
    return names;
  }

 private:
  struct Listing : quillory::FolderListing {
    explicit Listing(const std::vector<Entry>& entries) : entries(entries) {}
    bool Next(quillory::FolderEntry& out) override {
      if (next == entries.size()) return false;
      const Entry& entry = entries[next++];
      out = {entry.name, entry.folder, entry.hidden, !entry.linkTo.empty()};
      return true;
    }
    const std::vector<Entry>& entries;
    size_t next = 0;
  };
  std::string Resolve(const std::string& path) const {
    for (const auto& [folder, entries] : folders) {
      for (const Entry& entry : entries) {
        const std::string via = folder + entry.name + '\\';
        if (!entry.linkTo.empty() && path.starts_with(via)) return Resolve(entry.linkTo + path.substr(via.size()));
      }
    }
    return path;
  }
};

// The walk's entries; one that has not ended after very many steps is stopped and fails.
Paths Gather(FakeLister& lister, const std::string& folder, const std::string& extension = "doc") {
  int steps = 0;
  auto entries = quillory::GatherFolderEntries(folder, extension, lister, [&] { return ++steps < 10000; });
  EXPECT_TRUE(entries.has_value()) << "the walk did not end";
  return entries.value_or(Paths{});
}

const std::map<std::string, std::vector<Entry>> kExampleTree = {
    {"C:\\Root\\", {Dir("."), Dir(".."), File("a.doc"), File("~$a.doc"), File("b.txt"), Dir("Other"), Dir("Sub")}},
    {"C:\\Root\\Sub\\", {Dir("."), Dir(".."), File("b.doc"), Dir("Deep")}},
    {"C:\\Root\\Other\\", {Dir("."), Dir(".."), File("d.doc")}},
    {"C:\\Root\\Sub\\Deep\\", {Dir("."), Dir(".."), File("c.doc")}},
};

TEST(FolderWalk, ExampleTreeGivesItsFourEntriesInOrderAndAPathInTheExtensionNothing) {
  FakeLister lister(kExampleTree);
  EXPECT_EQ(Gather(lister, "C:\\Root"),
            (Paths{"C:\\Root\\a.doc", "C:\\Root\\Other\\d.doc", "C:\\Root\\Sub\\b.doc", "C:\\Root\\Sub\\Deep\\c.doc"}));
  // With a separator in the pattern the platform would list another folder's files.
  lister.matched.clear();
  EXPECT_EQ(Gather(lister, "C:\\Root", "doc\\..\\*"), Paths{});
  EXPECT_EQ(Gather(lister, "C:\\Root", "doc/x"), Paths{});
  EXPECT_TRUE(lister.matched.empty());
}

TEST(FolderWalk, LevelByLevelGroupedByParentWithoutHiddenOrSystemFolders) {
  FakeLister lister({
      {"C:\\R\\", {Dir("B"), Dir("Hidden", true), Dir("A")}}, {"C:\\R\\Hidden\\", {File("h.doc")}},
      {"C:\\R\\B\\", {Dir("B1")}}, {"C:\\R\\A\\", {File("a.doc"), Dir("A1")}},
      {"C:\\R\\B\\B1\\", {File("b1.doc")}}, {"C:\\R\\A\\A1\\", {File("a1.doc")}},
  });
  EXPECT_EQ(Gather(lister, "C:\\R"), (Paths{"C:\\R\\A\\a.doc", "C:\\R\\B\\B1\\b1.doc", "C:\\R\\A\\A1\\a1.doc"}));
  // Without recursion only the direct subfolders are added.
  Paths folders{"C:\\R\\"};
  EXPECT_TRUE(quillory::ScanFolder(folders, false, lister, [] { return true; }));
  EXPECT_EQ(folders, (Paths{"C:\\R\\", "C:\\R\\B\\", "C:\\R\\A\\"}));
}

TEST(FolderWalk, LinkCyclesEndWithEachFolderWalkedOnceAndOtherLinksAreWalked) {
  FakeLister lister({
      {"C:\\R\\", {File("r.doc"), Dir("A"), Link("Again", "C:\\R\\A\\")}},
      {"C:\\R\\A\\", {File("a.doc"), Link("Up", "C:\\R\\")}},
      {"C:\\Out\\", {Link("Elsewhere", "D:\\E\\")}}, {"D:\\E\\", {File("e.doc")}},
  });
  EXPECT_EQ(Gather(lister, "C:\\R"), (Paths{"C:\\R\\r.doc", "C:\\R\\A\\a.doc"}));
  EXPECT_EQ(Gather(lister, "C:\\Out"), Paths{"C:\\Out\\Elsewhere\\e.doc"});
  // Where folders cannot be told apart, links are not followed.
  lister.identities = false;
  EXPECT_EQ(Gather(lister, "C:\\R"), (Paths{"C:\\R\\r.doc", "C:\\R\\A\\a.doc"}));
}

TEST(FolderWalk, UnreadableFoldersAreSkipped) {
  FakeLister lister(kExampleTree);
  lister.folders.erase("C:\\Root\\Sub\\");
  EXPECT_EQ(Gather(lister, "C:\\Root"), (Paths{"C:\\Root\\a.doc", "C:\\Root\\Other\\d.doc"}));
  EXPECT_EQ(Gather(lister, "C:\\Gone"), Paths{});
}

TEST(FolderWalk, MessagesRunAtEveryDirectoryEntryAndAStopEndsTheWalkWithNothing) {
  FakeLister lister(kExampleTree);
  int calls = 0;
  quillory::GatherFolderEntries("C:\\Root", "doc", lister, [&] { return ++calls > 0; });
  EXPECT_EQ(calls, 4 + 17);  // as each of the four folders opens, and at each of their entries
  EXPECT_FALSE(quillory::GatherFolderEntries("C:\\Root", "doc", lister, [&] { return --calls > 16; }));
  EXPECT_EQ(calls, 16);
}

}  // namespace

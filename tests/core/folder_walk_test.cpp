#include "adding/folder_walk.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using quillory::DirectoryLister;
using quillory::FolderEntry;
using quillory::FolderListing;
using Paths = std::vector<std::string>;

// A file system held in memory: each folder (path ending in a backslash) maps to its
// entries in listing order. A link names the folder it leads to.
class FakeLister : public DirectoryLister {
 public:
  struct Entry {
    std::string name;
    bool folder = false;
    bool hidden = false;
    std::string linkTo;  // non-empty: a link to that folder
  };

  void Folder(const std::string& path, std::vector<Entry> entries) { folders_[path] = std::move(entries); }
  void Unreadable(const std::string& path) { folders_.erase(path); }
  void WithoutIdentity() { identities_ = false; }

  std::unique_ptr<FolderListing> Open(const std::string& folder) override {
    opened.push_back(folder);
    auto found = folders_.find(Resolve(folder));
    if (found == folders_.end()) return nullptr;
    return std::make_unique<Listing>(found->second);
  }

  std::string Identity(const std::string& folder) override {
    told.push_back(folder);
    const std::string target = Resolve(folder);
    return identities_ && folders_.count(target) ? target : std::string();
  }

  std::vector<std::string> MatchingFiles(const std::string& folder, const std::string& pattern) override {
    matched.push_back(folder + pattern);
    std::vector<std::string> names;
    auto found = folders_.find(Resolve(folder));
    if (found == folders_.end()) return names;
    for (const Entry& entry : found->second) {
      if (!entry.folder && Matches(pattern, entry.name)) names.push_back(entry.name);
    }
    return names;
  }

  Paths opened;
  Paths told;
  Paths matched;

 private:
  class Listing : public FolderListing {
   public:
    explicit Listing(const std::vector<Entry>& entries) : entries_(entries) {}
    bool Next(FolderEntry& entry) override {
      if (next_ == entries_.size()) return false;
      const Entry& e = entries_[next_++];
      entry = FolderEntry{e.name, e.folder, e.hidden, !e.linkTo.empty()};
      return true;
    }
   private:
    const std::vector<Entry>& entries_;
    size_t next_ = 0;
  };

  // Follows links: a path through a link lands in the link's target.
  std::string Resolve(const std::string& path) const {
    for (const auto& [folder, entries] : folders_) {
      for (const Entry& entry : entries) {
        const std::string through = folder + entry.name + '\\';
        if (!entry.linkTo.empty() && path.compare(0, through.size(), through) == 0) {
          return Resolve(entry.linkTo + path.substr(through.size()));
        }
      }
    }
    return path;
  }

  // "*" any run, "?" one character; enough for the patterns used here.
  static bool Matches(const std::string& pattern, const std::string& name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '*') {
      for (size_t skip = 0; skip <= name.size(); ++skip) {
        if (Matches(pattern.substr(1), name.substr(skip))) return true;
      }
      return false;
    }
    return !name.empty() && (pattern[0] == '?' || pattern[0] == name[0]) && Matches(pattern.substr(1), name.substr(1));
  }

  std::map<std::string, std::vector<Entry>> folders_;
  bool identities_ = true;
};

FakeLister::Entry File(std::string name, bool hidden = false) { return {std::move(name), false, hidden, {}}; }
FakeLister::Entry Dir(std::string name, bool hidden = false) { return {std::move(name), true, hidden, {}}; }
FakeLister::Entry Link(std::string name, std::string to) { return {std::move(name), true, false, std::move(to)}; }

const quillory::KeepGoing kAlways = [] { return true; };

Paths Gather(FakeLister& lister, const std::string& folder, const std::string& extension) {
  auto entries = quillory::GatherFolderEntries(folder, extension, lister, kAlways);
  EXPECT_TRUE(entries.has_value());
  return entries.value_or(Paths{});
}

// The example tree: Root holds a.doc, ~$a.doc, b.txt, Other (d.doc) and Sub (b.doc, Deep (c.doc)).
FakeLister ExampleTree() {
  FakeLister lister;
  lister.Folder("C:\\Root\\", {Dir("."), Dir(".."), File("a.doc"), File("~$a.doc"), File("b.txt"), Dir("Other"), Dir("Sub")});
  lister.Folder("C:\\Root\\Other\\", {Dir("."), Dir(".."), File("d.doc")});
  lister.Folder("C:\\Root\\Sub\\", {Dir("."), Dir(".."), File("b.doc"), Dir("Deep")});
  lister.Folder("C:\\Root\\Sub\\Deep\\", {Dir("."), Dir(".."), File("c.doc")});
  return lister;
}

TEST(FolderWalk, ExampleTreeGivesItsFourEntriesInOrder) {
  FakeLister lister = ExampleTree();
  EXPECT_EQ(Gather(lister, "C:\\Root", "doc"),
            (Paths{"C:\\Root\\a.doc", "C:\\Root\\Other\\d.doc", "C:\\Root\\Sub\\b.doc", "C:\\Root\\Sub\\Deep\\c.doc"}));
  // The extension is used as typed: "*.doc", and the folder handed over ends in one backslash.
  EXPECT_EQ(lister.matched.front(), "C:\\Root\\*.doc");
}

TEST(FolderWalk, LevelByLevelGroupedByParentAndHiddenFoldersLeftOut) {
  FakeLister lister;
  lister.Folder("C:\\R\\", {Dir("B"), Dir("Hidden", true), Dir("A"), File("r.doc")});
  lister.Folder("C:\\R\\Hidden\\", {Dir("Never")});
  lister.Folder("C:\\R\\B\\", {Dir("B2"), Dir("B1")});
  lister.Folder("C:\\R\\A\\", {Dir("A1")});
  lister.Folder("C:\\R\\B\\B2\\", {Dir("X")});
  lister.Folder("C:\\R\\B\\B1\\", {});
  lister.Folder("C:\\R\\A\\A1\\", {File("deep.doc")});
  lister.Folder("C:\\R\\B\\B2\\X\\", {File("x.doc")});

  Paths folders{"C:\\R\\"};
  ASSERT_TRUE(quillory::ScanFolder(folders, true, lister, kAlways));
  EXPECT_EQ(folders, (Paths{"C:\\R\\", "C:\\R\\B\\", "C:\\R\\A\\", "C:\\R\\B\\B2\\", "C:\\R\\B\\B1\\",
                            "C:\\R\\A\\A1\\", "C:\\R\\B\\B2\\X\\"}));

  Paths direct{"C:\\R\\"};
  ASSERT_TRUE(quillory::ScanFolder(direct, false, lister, kAlways));
  EXPECT_EQ(direct, (Paths{"C:\\R\\", "C:\\R\\B\\", "C:\\R\\A\\"}));
}

TEST(FolderWalk, DriveRootAndNetworkFoldersJoinWithOneBackslash) {
  FakeLister lister;
  lister.Folder("Q:\\", {File("a.doc"), Dir("S")});
  lister.Folder("Q:\\S\\", {File("b.doc")});
  EXPECT_EQ(Gather(lister, "Q:\\", "doc"), (Paths{"Q:\\a.doc", "Q:\\S\\b.doc"}));

  lister.Folder("\\\\server\\share\\", {File("n.doc")});
  EXPECT_EQ(Gather(lister, "\\\\server\\share", "doc"), Paths{"\\\\server\\share\\n.doc"});
}

TEST(FolderWalk, LinkCyclesEndAndEachFolderIsWalkedOnce) {
  FakeLister lister;
  lister.Folder("C:\\R\\", {File("r.doc"), Dir("A"), Link("Again", "C:\\R\\A\\")});
  lister.Folder("C:\\R\\A\\", {File("a.doc"), Link("Up", "C:\\R\\")});
  EXPECT_EQ(Gather(lister, "C:\\R", "doc"), (Paths{"C:\\R\\r.doc", "C:\\R\\A\\a.doc"}));
  EXPECT_EQ(lister.opened, (Paths{"C:\\R\\", "C:\\R\\A\\"}));  // Again and A\Up: walked already

  // A link to a folder outside the tree is walked like any folder.
  FakeLister outside;
  outside.Folder("C:\\R\\", {Link("Elsewhere", "D:\\E\\")});
  outside.Folder("D:\\E\\", {File("e.doc")});
  EXPECT_EQ(Gather(outside, "C:\\R", "doc"), Paths{"C:\\R\\Elsewhere\\e.doc"});
}

TEST(FolderWalk, FoldersAreToldApartOnlyOnceALinkIsMet) {
  FakeLister plain = ExampleTree();
  Gather(plain, "C:\\Root", "doc");
  EXPECT_TRUE(plain.told.empty());

  FakeLister linked;
  linked.Folder("C:\\R\\", {Dir("A"), Dir("B")});
  linked.Folder("C:\\R\\A\\", {Link("ToB", "C:\\R\\B\\")});
  linked.Folder("C:\\R\\B\\", {File("b.doc")});
  EXPECT_EQ(Gather(linked, "C:\\R", "doc"), Paths{"C:\\R\\B\\b.doc"});
  // At the link, the folders walked before it are told apart too.
  EXPECT_EQ(linked.told, (Paths{"C:\\R\\", "C:\\R\\A\\", "C:\\R\\B\\", "C:\\R\\A\\ToB\\"}));
}

TEST(FolderWalk, LinksAreNotFollowedWhenFoldersCannotBeToldApart) {
  FakeLister lister;
  lister.Folder("C:\\R\\", {File("r.doc"), Dir("A"), Link("Loop", "C:\\R\\")});
  lister.Folder("C:\\R\\A\\", {File("a.doc")});
  lister.WithoutIdentity();
  EXPECT_EQ(Gather(lister, "C:\\R", "doc"), (Paths{"C:\\R\\r.doc", "C:\\R\\A\\a.doc"}));
}

TEST(FolderWalk, UnreadableFoldersAreSkipped) {
  FakeLister lister = ExampleTree();
  lister.Unreadable("C:\\Root\\Sub\\");
  EXPECT_EQ(Gather(lister, "C:\\Root", "doc"), (Paths{"C:\\Root\\a.doc", "C:\\Root\\Other\\d.doc"}));
  FakeLister missing;
  EXPECT_EQ(Gather(missing, "C:\\Gone", "doc"), Paths{});
}

TEST(FolderWalk, StopsAtOnceAndAddsNothingWhenAskedTo) {
  FakeLister lister = ExampleTree();
  int calls = 0;
  const auto entries = quillory::GatherFolderEntries("C:\\Root", "doc", lister, [&] { return ++calls < 5; });
  EXPECT_FALSE(entries.has_value());
  EXPECT_EQ(calls, 5);
  EXPECT_TRUE(lister.matched.empty());

  Paths folders{"C:\\Root\\"};
  EXPECT_FALSE(quillory::ScanFolder(folders, true, lister, [] { return false; }));
  EXPECT_EQ(folders, Paths{"C:\\Root\\"});
}

TEST(FolderWalk, MessagesRunAtEveryDirectoryEntry) {
  FakeLister lister = ExampleTree();
  int calls = 0;
  quillory::GatherFolderEntries("C:\\Root", "doc", lister, [&] { return ++calls > 0; });
  // One as each of the four folders is opened, one per entry: 7 + 3 + 4 + 3.
  EXPECT_EQ(calls, 4 + 17);
}

TEST(FolderWalk, SeparatorInTheExtensionMatchesNothing) {
  FakeLister lister = ExampleTree();
  EXPECT_EQ(Gather(lister, "C:\\Root", "doc\\..\\*"), Paths{});
  EXPECT_EQ(Gather(lister, "C:\\Root", "doc/x"), Paths{});
  EXPECT_TRUE(lister.matched.empty());
}

}  // namespace

#include "adding/folder_walk.h"

#include "core_test.h"

namespace {

using Paths = std::vector<std::string>;

// An entry as a listing gives it and, for a link, the folder it leads to.
struct Entry : quillory::FolderEntry { std::string linkTo; };
Entry File(std::string name, std::string shortName = {}) {
  return {{std::move(name), false, false, false, std::move(shortName)}, {}};
}
Entry Dir(std::string name, bool hidden = false) { return {{std::move(name), true, hidden, false, {}}, {}}; }
Entry Link(std::string name, std::string to) { return {{std::move(name), true, false, true, {}}, std::move(to)}; }

// A file system held in memory: each folder (its path ends in a backslash) with its entries
// in listing order. A path through a link lands in the link's target.
struct FakeLister : quillory::DirectoryLister {
  explicit FakeLister(std::map<std::string, std::vector<Entry>> tree) : folders(std::move(tree)) {}
  std::map<std::string, std::vector<Entry>> folders;
  bool identities = true;
  int opened = 0;

  std::unique_ptr<quillory::FolderListing> Open(const std::string& folder) override {
    ++opened;
    auto found = folders.find(Resolve(folder));
    return found == folders.end() ? nullptr : std::make_unique<Listing>(found->second);
  }
  std::string Identity(const std::string& folder) override {
    return identities && folders.count(Resolve(folder)) ? Resolve(folder) : "";
  }
  quillory::UpcaseChar Upcase() const override {
    return [](char32_t c) -> char32_t { return c >= U'a' && c <= U'z' ? c - 32 : c; };
  }

  struct Listing : quillory::FolderListing {
    explicit Listing(const std::vector<Entry>& entries) : next(entries.begin()), end(entries.end()) {}
    bool Next(quillory::FolderEntry& out) override { return next != end && (out = *next++, true); }
    std::vector<Entry>::const_iterator next, end;
  };
  std::string Resolve(const std::string& path) const {
    for (const auto& [folder, entries] : folders) {
      for (const Entry& entry : entries) {
        const std::string via = folder + entry.name + '\\';
        if (entry.link && path.starts_with(via)) return Resolve(entry.linkTo + path.substr(via.size()));
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

TEST(FolderWalk, ExampleTreeGivesItsFourEntriesInOrderListingEachFolderOnceAndSkipsWhatItCannotRead) {
  FakeLister lister({
      {"C:\\Root\\", {Dir("."), Dir(".."), File("a.doc"), File("~$a.doc"), File("b.txt"), Dir("Other"), Dir("Sub")}},
      {"C:\\Root\\Sub\\", {Dir("."), Dir(".."), File("b.doc"), Dir("Deep")}},
      {"C:\\Root\\Other\\", {Dir("."), Dir(".."), File("d.doc")}},
      {"C:\\Root\\Sub\\Deep\\", {Dir("."), Dir(".."), File("c.doc")}},
  });
  EXPECT_EQ(Gather(lister, "C:\\Root"),
            (Paths{"C:\\Root\\a.doc", "C:\\Root\\Other\\d.doc", "C:\\Root\\Sub\\b.doc", "C:\\Root\\Sub\\Deep\\c.doc"}));
  EXPECT_EQ(lister.opened, 4);  // one listing serves a folder's subfolders and its files
  EXPECT_EQ(Gather(lister, "C:\\Root", "doc\\..\\*"), Paths{});  // a path in the extension finds nothing
  EXPECT_EQ(Gather(lister, "C:\\Root", "doc/x"), Paths{});

  // The walk may stop as each of the four folders opens and at each of their 17 entries; a stop gives nothing.
  int calls = 0;
  quillory::GatherFolderEntries("C:\\Root", "doc", lister, [&] { return ++calls > 0; });
  EXPECT_EQ(calls, 4 + 17);
  EXPECT_FALSE(quillory::GatherFolderEntries("C:\\Root", "doc", lister, [&] { return --calls > 16; }));
  EXPECT_EQ(calls, 16);

  lister.folders.erase("C:\\Root\\Sub\\");  // unreadable folders are skipped
  EXPECT_EQ(Gather(lister, "C:\\Root"), (Paths{"C:\\Root\\a.doc", "C:\\Root\\Other\\d.doc"}));
}

TEST(FolderWalk, LevelByLevelGroupedByParentWithoutHiddenFoldersAndEachFolderOnceThroughLinks) {
  FakeLister lister({
      {"C:\\R\\", {Dir("B"), Dir("Hidden", true), Dir("A")}}, {"C:\\R\\Hidden\\", {File("h.doc")}},
      {"C:\\R\\B\\", {Dir("B1")}}, {"C:\\R\\A\\", {File("a.doc"), Dir("A1")}},
      {"C:\\R\\B\\B1\\", {File("b1.doc")}}, {"C:\\R\\A\\A1\\", {File("a1.doc")}},
  });
  EXPECT_EQ(Gather(lister, "C:\\R"), (Paths{"C:\\R\\A\\a.doc", "C:\\R\\B\\B1\\b1.doc", "C:\\R\\A\\A1\\a1.doc"}));

  // Link cycles end with each folder walked once; other links are walked.
  lister.folders = {
      {"C:\\L\\", {File("r.doc"), Dir("A"), Link("Again", "C:\\L\\A\\")}},
      {"C:\\L\\A\\", {File("a.doc"), Link("Up", "C:\\L\\")}},
      {"C:\\Out\\", {Link("Elsewhere", "D:\\E\\")}}, {"D:\\E\\", {File("e.doc")}},
  };
  EXPECT_EQ(Gather(lister, "C:\\L"), (Paths{"C:\\L\\r.doc", "C:\\L\\A\\a.doc"}));
  EXPECT_EQ(Gather(lister, "C:\\Out"), Paths{"C:\\Out\\Elsewhere\\e.doc"});
  lister.identities = false;  // where folders cannot be told apart, links are not followed
  EXPECT_EQ(Gather(lister, "C:\\L"), (Paths{"C:\\L\\r.doc", "C:\\L\\A\\a.doc"}));
}

TEST(FolderWalk, FilesAreFoundAsThePlatformsSearchFindsThemFoldersNever) {
  FakeLister lister({
      {"C:\\M\\", {File("A.DOC"), File("report.docx", "REPORT~1.DOC"), File("report.docx.txt", "REPORT~1.TXT"),
                     Dir("folder.doc"), File("two..doc"), File("x.d"), File("noext")}},
      {"C:\\M\\folder.doc\\", {File("in.doc")}},
  });
  EXPECT_EQ(Gather(lister, "C:\\M"),
            (Paths{"C:\\M\\A.DOC", "C:\\M\\report.docx", "C:\\M\\two..doc", "C:\\M\\folder.doc\\in.doc"}));
  EXPECT_EQ(Gather(lister, "C:\\M", ".doc"), Paths{"C:\\M\\two..doc"});
  EXPECT_EQ(Gather(lister, "C:\\M", "*").size(), 7u);  // "*.*": every file, with or without a dot
  lister.folders = {{"C:\\", {File("r.doc")}}};  // a drive root keeps its one backslash
  EXPECT_EQ(Gather(lister, "C:\\"), Paths{"C:\\r.doc"});
}

}  // namespace

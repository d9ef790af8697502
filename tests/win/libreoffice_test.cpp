// The stand-in hands LibreOffice what it cannot convert itself, through the automation calls a
// run makes: the template is the kind asked for and holds the document's text, one LibreOffice
// kept running converts for every instance in turn, and one that hangs goes with its document. Needs
// the host's soffice and Python bridge, which the project's setup installs.
#include <algorithm>
#include <filesystem>

#include "conversion/word_automation_win.h"
#include "conversion/word_instance_win.h"
#include "support/form_fixture.h"
#include "support/standin_support.h"
#include "document_kind.h"
#include "zip_package.h"

namespace quillory::test {
namespace {

using ::testing::HasSubstr;
using standin::DocumentKind;

// Whether a template holds `word`: in the main part of an Open XML one, in a binary one's text
// as 8-bit or UTF-16 characters.
bool Holds(const std::wstring& path, const std::string& word) {
  std::string bytes = FileBytes(path), error, wide;
  standin::ZipPackage package;
  for (const standin::ZipEntry& e : package.Read(bytes, &error) ? package.Entries() : std::vector<standin::ZipEntry>{}) {
    if (e.name == "word/document.xml") package.Contents(e, &bytes, &error);
  }
  for (const char c : word) wide += {c, '\0'};
  return bytes.find(word) != std::string::npos || bytes.find(wide) != std::string::npos;
}

DocumentKind KindOf(const std::wstring& path) {
  DocumentKind kind{};
  std::string error;
  EXPECT_TRUE(standin::IdentifyDocument(FileBytes(path), &kind, &error)) << Narrow(path) << ": " << error;
  return kind;
}

// One document through a new instance, as a run converts it; the failure's reason, if any.
std::string Convert(const std::wstring& document, TemplateTarget target) {
  WordInstance instance;
  StepFailure failed = instance.Create();
  if (!failed) failed = instance.OpenAndSaveAs(Narrow(document), TemplatePath(Narrow(document), target), target);
  instance.QuitUnlessShared();
  return failed ? failed->reason : "";
}

// Whether a Unix process runs whose command line holds `text` (Wine shows / as drive Z:). A
// process may end while its command line is read: that one holds nothing.
bool UnixProcessWith(const std::string& text) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
  bool any = false;
  for (bool more = search != INVALID_HANDLE_VALUE; more && !any; more = FindNextFileW(search, &found)) {
    if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9') continue;
    const std::wstring path = std::wstring(L"Z:\\proc\\") + found.cFileName + L"\\cmdline";
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[4096];
    DWORD read = 0;
    any = file && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) &&
          std::string_view(buffer, read).find(text) != std::string_view::npos;
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  return any;
}

bool StandinFoldersLeft() {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((std::filesystem::temp_directory_path() / L"QuilloryStandin-*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

class LibreOffice : public StandinTest {
 protected:
  void TearDown() override {
    StandinTest::TearDown();
    EXPECT_TRUE(PumpUntil([] { return !StandinFoldersLeft(); })) << "an instance's LibreOffice folder was left";
    EXPECT_TRUE(PumpUntil([] { return !UnixProcessWith("quillory-office"); }, std::chrono::seconds(10)))
        << "the LibreOffice kept running outlived its last document by 10 s";
  }
  // The LibreOffice that converted each document, in order, as the stand-ins' journal names it.
  std::vector<std::string> Offices() const {
    std::vector<std::string> offices;
    for (const auto& calls : journal.Calls()) {
      for (const std::string& call : calls) {
        if (call.rfind("Server: LibreOffice process ", 0) == 0) offices.push_back(call.substr(0, call.find(',')));
      }
    }
    return offices;
  }
};

TEST_F(LibreOffice, EveryOtherPairBecomesTheTemplateAskedForWithTheDocumentsWords) {
  const struct {
    const wchar_t* fixture;
    const wchar_t* name;
    TemplateTarget target;
  } pairs[] = {
      {L"letter.doc", L"letter.doc", TemplateTarget::kDotx},
      {L"report.docx", L"report.docx", TemplateTarget::kDot},
      {L"letter.rtf", L"rtf to dot.rtf", TemplateTarget::kDot},
      {L"letter.rtf", L"rtf to dotx.rtf", TemplateTarget::kDotx},
      {L"letter.odt", L"odt to dot.odt", TemplateTarget::kDot},
      {L"letter.odt", L"odt to dotx.odt", TemplateTarget::kDotx},
      {L"letter.rtf", L"R\u00e9sum\u00e9 \u03a9mega rtf.doc", TemplateTarget::kDotx},  // RTF under a Word name
  };
  // The folder of an instance ended between conversions goes with the next instance's first.
  std::filesystem::create_directories(std::filesystem::temp_directory_path() / L"QuilloryStandin-99999" / L"profile");
  // Within a family no LibreOffice starts.
  EXPECT_EQ(Convert(CopyFixture(L"letter.doc", folder.Path(), L"in family.doc"), TemplateTarget::kDot), "");
  EXPECT_FALSE(UnixProcessWith("quillory-office"));
  for (const auto& pair : pairs) {
    const std::wstring document = CopyFixture(pair.fixture, folder.Path(), pair.name);
    const std::wstring made = Widen(TemplatePath(Narrow(document), pair.target));
    EXPECT_EQ(Convert(document, pair.target), "") << Narrow(made);
    EXPECT_EQ(KindOf(made), pair.target == TemplateTarget::kDot ? DocumentKind::kBinaryTemplate
                                                                : DocumentKind::kXmlTemplate)
        << Narrow(made);
    EXPECT_TRUE(Holds(made, pair.fixture == std::wstring(L"report.docx") ? "Report" : "Quarterly")) << Narrow(made);
  }
  // What LibreOffice cannot read fails in its own words, and leaves no template.
  standin::ZipPackage odt;
  odt.Put("mimetype", "application/vnd.oasis.opendocument.text");
  const std::wstring damaged = folder.Write(L"damaged.odt", odt.Write());
  EXPECT_THAT(Convert(damaged, TemplateTarget::kDot),
              HasSubstr("LibreOffice said \"Error: source file could not be loaded\""));
  EXPECT_FALSE(FileExists(folder.File(L"damaged.dot")));
  // One LibreOffice, started once, converted them all.
  const std::vector<std::string> offices = Offices();
  EXPECT_EQ(offices.size(), std::size(pairs) + 1);
  EXPECT_EQ(std::count(offices.begin(), offices.end(), offices.front()), std::ssize(offices));
}

TEST_F(LibreOffice, ADocumentThatHangsFailsAloneAndTheNextGetsAFreshLibreOffice) {
  EXPECT_EQ(Convert(CopyFixture(L"letter.rtf", folder.Path(), L"first.rtf"), TemplateTarget::kDot), "");
  ASSERT_EQ(Offices().size(), 1u);
  // Frozen, as by a document it cannot get through: soffice.bin, its launcher's child.
  const std::string hung = Offices()[0].substr(Offices()[0].rfind(' ') + 1);
  ASSERT_TRUE(RunUnix("pkill -STOP -x -P " + hung + " soffice.bin && touch frozen", folder.Path(),
                      [&] { return FileExists(folder.File(L"frozen")); }));
  ASSERT_TRUE(hazards.Number(L"OfficeLimitSeconds", 3));
  EXPECT_THAT(Convert(CopyFixture(L"letter.rtf", folder.Path(), L"hangs.rtf"), TemplateTarget::kDot),
              HasSubstr("LibreOffice did not finish within 3 seconds and was ended"));
  EXPECT_TRUE(PumpUntil([&] { return !FileExists(Widen("Z:\\proc\\" + hung)); })) << "the hung LibreOffice lives";
  ASSERT_TRUE(hazards.Number(L"OfficeLimitSeconds", 0));
  EXPECT_EQ(Convert(CopyFixture(L"letter.rtf", folder.Path(), L"next.rtf"), TemplateTarget::kDot), "");
  ASSERT_EQ(Offices().size(), 2u);
  EXPECT_NE(Offices()[1], Offices()[0]);
  // Without the Python bridge the instance runs soffice itself.
  ASSERT_TRUE(hazards.Number(L"HideUno", 1));
  EXPECT_EQ(Convert(CopyFixture(L"letter.rtf", folder.Path(), L"no bridge.rtf"), TemplateTarget::kDotx), "");
  EXPECT_EQ(KindOf(folder.File(L"no bridge.dotx")), DocumentKind::kXmlTemplate);
  EXPECT_EQ(Offices().size(), 2u);
}

TEST_F(LibreOffice, OneThatHangsIsEndedAtTheTimeLimitWithEverythingItStarted) {
  // A real LibreOffice that never ends: headless, with no document to convert.
  const std::string marker = "quillory-hang-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(hazards.Text(L"OfficeCommand", Widen("exec soffice --headless --norestore "
                                                   "\"-env:UserInstallation=file://$HOME/" + marker + "\"")));
  bool started = false;
  // soffice.bin itself, which LibreOffice's launcher starts, is up.
  std::thread look([&] { started = PumpUntil([&] { return UnixProcessWith(marker + std::string("\0--headless", 11)); }); });
  const std::string document = Add(L"letter.doc");
  std::string reason;
  {
    WordAutomation automation(nullptr, WaitOrStop(nullptr), std::chrono::seconds(10));
    reason = automation.SaveDocAsTemplate(document, TemplatePath(document, TemplateTarget::kDotx), TemplateTarget::kDotx).reason;
  }
  look.join();
  EXPECT_TRUE(started) << "LibreOffice never ran";
  EXPECT_EQ(reason, TimeLimitReason(10, true));
  EXPECT_TRUE(PumpUntil([&] { return !UnixProcessWith(marker); })) << "a process LibreOffice started is still running";
  EXPECT_FALSE(FileExists(folder.File(L"letter.dotx")));
}

}  // namespace
}  // namespace quillory::test

// Which engine makes a template, what the stand-in asks LibreOffice and what it reports.
#include "core_test.h"
#include "engine_choice.h"
#include "office_command.h"
#include "zip_package.h"

namespace standin {
namespace {

using enum DocumentKind;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// "standin", the filter LibreOffice is given, or the reason nothing may make it.
std::string Choice(DocumentKind kind, int format, const char* extension) {
  EngineChoice choice;
  std::string error;
  if (!ChooseEngine(kind, format, extension, &choice, &error)) return "refused: " + error;
  if (choice.engine == Engine::kStandin) return "standin";
  return std::string(choice.filter) + " -> " + std::string(choice.extension);
}

TEST(EngineChoice, TheStandinKeepsItsFamiliesAndLibreOfficeTakesTheRest) {
  EXPECT_EQ(Choice(kBinaryDocument, kFormatTemplate, ".dot"), "standin");
  EXPECT_EQ(Choice(kXmlMacroDocument, kFormatXmlTemplate, ".dotx"), "standin");
  EXPECT_EQ(Choice(kBinaryDocument, kFormatXmlTemplate, ".dotx"), "MS Word 2007 XML Template -> .dotx");
  EXPECT_EQ(Choice(kXmlDocument, kFormatTemplate, ".dot"), "MS Word 97 Vorlage -> .dot");
  EXPECT_EQ(Choice(kRtfDocument, kFormatXmlTemplate, ".dotx"), "MS Word 2007 XML Template -> .dotx");

  EXPECT_THAT(Choice(kEncryptedBinary, kFormatXmlTemplate, ".dotx"), HasSubstr("without its password"));
  EXPECT_THAT(Choice(kEncryptedPackage, kFormatTemplate, ".dot"), HasSubstr("without its password"));
  EXPECT_THAT(Choice(kRtfDocument, kFormatTemplate, ".dotx"), HasSubstr("does not match"));
  EXPECT_THAT(Choice(kBinaryDocument, kFormatXmlTemplateMacroEnabled, ".dotm"), HasSubstr("macro-enabled"));
  EngineChoice choice;
  std::string error;
  ASSERT_TRUE(ChooseEngine(kBinaryDocument, kFormatXmlTemplate, ".dotx", &choice, &error)) << error;
  EXPECT_EQ(NeedsLibreOffice(choice),
            "turning a binary Word document into an Open XML template needs LibreOffice Writer, which is not installed");
}

// The kind Open sees, or nullopt when it refuses the file (always with a reason).
std::optional<DocumentKind> Identified(std::string_view bytes, std::string_view extension) {
  DocumentKind kind{};
  std::string error;
  if (IdentifyAnyDocument(bytes, extension, &kind, &error)) return kind;
  EXPECT_FALSE(error.empty());
  return std::nullopt;
}

TEST(EngineChoice, OpenKnowsWhatTheWordProcessorOpensAndRefusesTheRest) {
  EXPECT_EQ(Identified(Fixture("letter.doc"), ".doc"), kBinaryDocument);
  EXPECT_EQ(Identified("{\\rtf1\\ansi Hello}", ".doc"), kRtfDocument);  // RTF under a Word name
  ZipPackage odt;
  odt.Put("mimetype", "application/vnd.oasis.opendocument.text");
  EXPECT_EQ(Identified(odt.Write(), ".odt"), kOpenDocumentText);
  EXPECT_EQ(Identified("Dear reader,\r\n", ".txt"), kTextDocument);
  EXPECT_EQ(Identified("<html><body>Hi</body></html>", ".htm"), kTextDocument);

  // Text under a Word or OpenDocument name is damaged, never guessed at.
  EXPECT_EQ(Identified("Dear reader,\r\n", ".doc"), std::nullopt);
  ZipPackage spreadsheet;
  spreadsheet.Put("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
  EXPECT_EQ(Identified(spreadsheet.Write(), ".odt"), std::nullopt);
  EXPECT_EQ(Identified(Fixture("report.docx").substr(0, 200), ".txt"), std::nullopt);
}

TEST(OfficeCommand, PathsBecomeFileUrlsThatSurviveSpacesAndUnicode) {
  EXPECT_EQ(FileUrl("/tmp/a b/R\xC3\xA9sum\xC3\xA9%"), "file:///tmp/a%20b/R%C3%A9sum%C3%A9%25");
  EXPECT_EQ(FileUrl("C:\\Users\\Jo Ann\\Temp"), "file:///C:/Users/Jo%20Ann/Temp");
}

TEST(OfficeCommand, OneHeadlessConversionInTheInstancesOwnProfile) {
  const EngineChoice dotx{Engine::kLibreOffice, "MS Word 2007 XML Template", ".dotx"};
  EXPECT_THAT(OfficeArguments("file:///w/profile", dotx, "/w/out", "/w/in/document.doc"),
              ElementsAre("--headless", "--invisible", "--nologo", "--nodefault", "--norestore", "--nolockcheck",
                          "-env:UserInstallation=file:///w/profile", "--convert-to", "dotx:MS Word 2007 XML Template",
                          "--outdir", "/w/out", "/w/in/document.doc"));
  // The user's name never reaches the command line, only the kind's own.
  EXPECT_EQ(OfficeSourceName(kXmlDocument, ".docx"), "document.docx");
  EXPECT_EQ(OfficeSourceName(kTextDocument, ".html"), "document.html");
  EXPECT_THAT(std::string(ProfileSettings()), HasSubstr("DisableMacrosExecution"));
}

TEST(OfficeCommand, AFailureIsToldInLibreOfficesWordsOrByWhatItDid) {
  EXPECT_EQ(OfficeFailure("Warning: failed to launch javaldx\nError: source file could not be loaded\n", 0, false),
            "LibreOffice said \"Error: source file could not be loaded\"");
  EXPECT_EQ(OfficeFailure("", 0, false), "LibreOffice wrote nothing");
  EXPECT_EQ(OfficeFailure("", 81, false), "LibreOffice ended with status 81 and wrote nothing");
  EXPECT_EQ(OfficeFailure("", 137, false), "LibreOffice was ended by signal 9 and wrote nothing");
}

}  // namespace
}  // namespace standin

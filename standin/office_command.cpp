#include "office_command.h"

#include <algorithm>

namespace standin {
namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

bool IsDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' && ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

constexpr size_t kMaxReasonLength = 300;

}  // namespace

std::string FileUrl(std::string_view path) {
  std::string url = "file://";
  if (IsDriveLetter(path)) {
    url += '/';
    url.append(path.substr(0, 2));
    path.remove_prefix(2);
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\' || c == '/') {
      url += '/';
    } else if (IsUnreserved(c)) {
      url += ch;
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  return url;
}

std::string OfficeSourceName(DocumentKind kind, std::string_view extension) {
  switch (kind) {
    case DocumentKind::kBinaryDocument:
    case DocumentKind::kBinaryTemplate:
    case DocumentKind::kWord6Document: return "document.doc";
    case DocumentKind::kXmlMacroDocument:
    case DocumentKind::kXmlMacroTemplate: return "document.docm";
    case DocumentKind::kRtfDocument: return "document.rtf";
    case DocumentKind::kOpenDocumentText: return "document.odt";
    case DocumentKind::kTextDocument: return extension.rfind(".htm", 0) == 0 ? "document.html" : "document.txt";
    default: return "document.docx";
  }
}

std::vector<std::string> OfficeArguments(std::string_view profileUrl, const EngineChoice& choice,
                                         std::string_view outputFolder, std::string_view source) {
  std::string target(choice.extension.substr(choice.extension.empty() ? 0 : 1));
  target += ':';
  target.append(choice.filter);
  return {"--headless",
          "--invisible",
          "--nologo",
          "--nodefault",
          "--norestore",
          "--nolockcheck",
          "-env:UserInstallation=" + std::string(profileUrl),
          "--convert-to",
          target,
          "--outdir",
          std::string(outputFolder),
          std::string(source)};
}

std::string_view ProfileSettings() {
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="MacroSecurityLevel" oor:op="fuse"><value>3</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="DisableMacrosExecution" oor:op="fuse"><value>true</value></prop></item>
</oor:items>
)";
}

std::string OfficeThatConverted(std::string_view output) {
  constexpr std::string_view kLine = "Office: ";
  const size_t at = output.find(kLine);
  if (at == std::string_view::npos || (at > 0 && output[at - 1] != '\n')) return {};
  const std::string_view rest = output.substr(at + kLine.size(), output.find('\n', at) - at - kLine.size());
  const size_t space = rest.find(' ');
  const auto digits = [](std::string_view t) {
    return !t.empty() && t.size() < 10 && t.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (space == std::string_view::npos || !digits(rest.substr(0, space)) || !digits(Trimmed(rest.substr(space + 1)))) return {};
  return "process " + std::string(rest.substr(0, space)) + ", its document " + std::string(Trimmed(rest.substr(space + 1)));
}

std::string OfficeFailure(std::string_view output, int exitStatus, bool wroteFile) {
  // Its own words: the last line it began with "Error".
  std::string_view said;
  for (size_t start = 0; start < output.size();) {
    const size_t end = std::min(output.find('\n', start), output.size());
    const std::string_view line = Trimmed(output.substr(start, end - start));
    if (line.rfind("Error", 0) == 0) said = line;
    start = end + 1;
  }
  if (!said.empty()) {
    return "LibreOffice said \"" + std::string(said.substr(0, kMaxReasonLength)) + "\"";
  }
  if (exitStatus > 128 && exitStatus < 160) {
    return "LibreOffice was ended by signal " + std::to_string(exitStatus - 128) + (wroteFile ? "" : " and wrote nothing");
  }
  if (exitStatus != 0) {
    return "LibreOffice ended with status " + std::to_string(exitStatus) + (wroteFile ? "" : " and wrote nothing");
  }
  return wroteFile ? "LibreOffice wrote a file that is not the template asked for" : "LibreOffice wrote nothing";
}

}  // namespace standin

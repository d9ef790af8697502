#include "app/command_line.h"

#include <charconv>

#include "common/ascii.h"

namespace quillory {
namespace {

constexpr char kSeeHelp[] = " Type Quillory.com /? for the usage.";

// "/name", "-name:value" or "/name=value": the name in lower case and the value, if any.
struct Option {
  std::string name;
  std::optional<std::string> value;
};

Option SplitOption(const std::string& argument) {
  const std::string body = argument.substr(1);
  const size_t separator = body.find_first_of(":=");
  if (separator == std::string::npos) return {LowerAscii(body), std::nullopt};
  return {LowerAscii(body.substr(0, separator)), body.substr(separator + 1)};
}

std::optional<std::chrono::seconds> ParseSeconds(const std::string& text) {
  long seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || seconds < 1 || seconds > kMaxLimitSeconds) {
    return std::nullopt;
  }
  return std::chrono::seconds(seconds);
}

// "K/N" with 1 <= K <= N.
bool ParseShard(const std::string& text, CommandLine& line) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  auto number = [](std::string_view digits, unsigned& value) {
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size() && !digits.empty();
  };
  const std::string_view whole(text);
  return number(whole.substr(0, slash), line.share) && number(whole.substr(slash + 1), line.shares) &&
         line.shares >= 1 && line.share >= 1 && line.share <= line.shares;
}

// An example value for each option that takes one.
const char* Example(const std::string& name) {
  if (name == "ext") return "docx";
  if (name == "limit") return "60";
  if (name == "out") return "D:\\Templates";
  if (name == "shard") return "1/3";
  return "report.csv";
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  // "/?" anywhere before "--" asks for the usage, whatever else is wrong.
  for (const std::string& argument : arguments) {
    if (argument == "--") break;
    if (argument == "/?" || argument == "-?") {
      CommandLine help;
      help.help = true;
      return help;
    }
  }
  bool optionsEnded = false, targetGiven = false;
  auto fail = [&line](const std::string& problem) {
    line.error = problem + kSeeHelp;
    return line;
  };
  for (const std::string& argument : arguments) {
    if (optionsEnded || argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) {
      if (argument.empty()) return fail("An empty path was given.");
      line.paths.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    const Option option = SplitOption(argument);
    const bool takesValue = option.name == "ext" || option.name == "limit" || option.name == "report" ||
                            option.name == "out" || option.name == "shard";
    const bool target = option.name == "dot" || option.name == "dotx" || option.name == "dotm";
    const bool known = takesValue || target || option.name == "newer" || option.name == "upgrade" ||
                       option.name == "resume" || option.name == "list";
    if (!known) return fail("Unknown option " + argument + ".");
    if (takesValue && (!option.value || option.value->empty())) {
      return fail("The option " + argument + " needs a value, as in /" + option.name + ":" + Example(option.name) +
                  ".");
    }
    if (!takesValue && option.value) return fail("The option /" + option.name + " takes no value.");
    if (target) {
      const TemplateTarget chosen = option.name == "dot"    ? TemplateTarget::kDot
                                    : option.name == "dotx" ? TemplateTarget::kDotx
                                                            : TemplateTarget::kDotm;
      if (targetGiven && chosen != line.target) return fail("Choose one of /dot, /dotx and /dotm.");
      targetGiven = true;
      line.target = chosen;
    } else if (option.name == "newer") {
      line.newer = true;
    } else if (option.name == "upgrade") {
      line.upgrade = true;
    } else if (option.name == "resume") {
      line.resume = true;
    } else if (option.name == "list") {
      line.list = true;
    } else if (option.name == "out") {
      line.outFolder = *option.value;
    } else if (option.name == "shard") {
      if (!ParseShard(*option.value, line)) {
        return fail("The option " + argument + " needs K/N, two whole numbers with N at least 1 and K from 1 to N, as "
                    "in /shard:1/3.");
      }
    } else if (option.name == "ext") {
      // "docx" or ".docx": the folder press is given the part after the dot.
      line.extension = (*option.value)[0] == '.' ? option.value->substr(1) : *option.value;
      if (line.extension.empty()) return fail("The option " + argument + " names no extension.");
    } else if (option.name == "limit") {
      line.limit = ParseSeconds(*option.value);
      if (!line.limit) {
        return fail("The option " + argument + " needs a whole number of seconds from 1 to " +
                    std::to_string(kMaxLimitSeconds) + ".");
      }
    } else {
      line.reportPath = *option.value;
    }
  }
  if (line.upgrade && line.target == TemplateTarget::kDot) {
    return fail("The option /upgrade needs /dotx or /dotm: a Word 97-2003 template has only the old compatibility mode.");
  }
  if (line.paths.empty()) return fail("No document, folder or pattern was given.");
  if (line.resume && line.reportPath.empty()) {
    return fail("The option /resume needs /report:FILE, the report of the run to go on from.");
  }
  return line;
}

std::string UsageText() {
  return "Quillory.com turns Word documents into templates, beside each document unless\n"
         "/out names another folder.\n"
         "\n"
         "Quillory.com [/dot | /dotx | /dotm] [/upgrade] [/ext:EXT] [/newer] [/limit:SECONDS]\n"
         "             [/report:FILE [/resume]] [/out:FOLDER] [/list] [/shard:K/N] PATH...\n"
         "\n"
         "  PATH            a document; a folder, whose whole tree is searched for\n"
         "                  documents ending in .EXT (hidden folders are left out); or a\n"
         "                  name with * or ?, matched in its folder. Names beginning with\n"
         "                  ~ are left out. Documents are converted in the order given.\n"
         "  /dot            write Word 97-2003 templates (.dot); the default\n"
         "  /dotx           write Word templates (.dotx), which cannot hold macros: a\n"
         "                  document's macros are left out and its report row says so\n"
         "  /dotm           write macro-enabled Word templates (.dotm), macros kept\n"
         "  /upgrade        with /dotx or /dotm: convert a document in an older\n"
         "                  compatibility mode to the current one before it is saved,\n"
         "                  as in /dotx /upgrade letters\n"
         "  /ext:EXT        the extension searched for in folders, as docx or .docx;\n"
         "                  doc unless given\n"
         "  /newer          skip a document whose template exists and is newer than it\n"
         "  /limit:SECONDS  the time a document may take before its instance is ended\n"
         "                  (1 to " + std::to_string(kMaxLimitSeconds) + "); the window's setting unless given\n"
         "  /report:FILE    also write the report of the run to FILE, as CSV (UTF-8),\n"
         "                  a row as each document ends: /report:run.csv\n"
         "  /resume         go on from the report FILE: leave out the documents it says\n"
         "                  were converted (their templates still there) or skipped, and\n"
         "                  add the new rows to it: /report:run.csv /resume D:\\Lib\n"
         "  /out:FOLDER     write the templates under FOLDER, each where its document\n"
         "                  stands below the folder PATH it was found in (a document\n"
         "                  named directly goes straight into FOLDER): /out:T:\\Lib D:\\Lib\n"
         "  /list           only say what the run would do with each document and where\n"
         "                  its template would go; write nothing: /list D:\\Lib\n"
         "  /shard:K/N      take share K of N of the documents, so that N machines that\n"
         "                  run the same command, each with its own K, convert each\n"
         "                  document once: /shard:2/3\n"
         "  /?              show this text\n"
         "\n"
         "Options ignore case, may begin with / or -, and take their value after : or =.\n"
         "An argument -- ends the options: every argument after it is a path.\n"
         "Two documents that would make one template are never both converted: the\n"
         "first is, and the later one fails.\n"
         "Ctrl+C or Ctrl+Break stops the run: the document in hand is abandoned and its\n"
         "instance ended; the report says which documents were not tried.\n"
         "\n"
         "Exit codes:\n"
         "  0  every document was converted or skipped (with /list: none would fail)\n"
         "  1  at least one document failed (with /list: would fail)\n"
         "  2  the command line is wrong or names nothing to convert, or the report file\n"
         "     cannot be written or resumed (checked first: then nothing is converted),\n"
         "     or it could not be written to its end\n"
         "  3  Word is not installed\n"
         "  4  the run was stopped\n"
         "When several apply, the highest of 4, 3, 2 and 1 is given.\n";
}

std::string DocumentLine(size_t index, size_t count, const ReportRow& row) {
  std::string line = std::to_string(index + 1) + "/" + std::to_string(count) + " " + ResultName(row.result) + " " +
                     row.document;
  if (!row.reason.empty()) line += ": " + row.reason;  // a converted document has none
  return line;
}

std::string ListLine(size_t index, size_t count, const ReportRow& row) {
  const char* verb = row.result == DocumentResult::kConverted ? "convert"
                     : row.result == DocumentResult::kSkipped ? "skip"
                                                               : "fail";
  std::string line = std::to_string(index + 1) + "/" + std::to_string(count) + " " + verb + " " + row.document +
                     " -> " + row.templatePath;
  if (!row.reason.empty()) line += ": " + row.reason;
  return line;
}

std::string ListSummary(const RunReport& plan) {
  return std::to_string(plan.Count(DocumentResult::kConverted)) + " to convert, " +
         std::to_string(plan.Count(DocumentResult::kSkipped)) + " to skip, " +
         std::to_string(plan.Count(DocumentResult::kFailed)) + " to fail.";
}

int RunExitCode(const RunReport& report, bool reportWritten) {
  if (report.end == RunEnd::kStopped || report.end == RunEnd::kClosed) return kExitStopped;
  if (report.end == RunEnd::kNotInstalled) return kExitNotInstalled;
  if (!reportWritten) return kExitBadCommand;
  return report.Count(DocumentResult::kFailed) > 0 ? kExitSomeFailed : kExitAllConverted;
}

}  // namespace quillory

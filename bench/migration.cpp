// A migration's inventory and restart on a large tree (100,000 documents in 10,000 folders by
// default), as an administrator runs them: `Quillory.com /list` over the tree against a bare
// FindFirstFileExW enumeration of it, with the console's memory at a tenth of the tree and at
// all of it; and `/list /resume` from a report of a row for every document against `/list`
// alone. From a report whose rows all failed, every document is still listed: the difference
// is what reading the report adds to the start of a run. From one whose rows all converted,
// with their templates there, every document is looked up and left out. Last, what one row
// costs the report written as the run goes (written and flushed to the disk).
//   bench_migration [documents] [folders] [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_tree.h"
#include "common/utf_win.h"
#include "console_process.h"
#include "conversion/run_report.h"
#include "figures.h"
#include "platform/appending_file.h"
#include "platform/files.h"

namespace {

using bench::Clock;
using bench::Median;

// A report with a row for every .doc of the tree: all failed, or all converted with templates
// that are there (each names its own document as its template).
bool WriteReport(const std::wstring& root, const std::wstring& report, quillory::DocumentResult result,
                 size_t& rows) {
  std::string csv = quillory::ReportCsvHeader();
  std::vector<std::wstring> pending{root};
  rows = 0;
  while (!pending.empty()) {
    const std::wstring folder = std::move(pending.back());
    pending.pop_back();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      const std::wstring path = folder + L"\\" + data.cFileName;
      if (data.cFileName[0] == L'.') continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        pending.push_back(path);
      } else {
        const std::string document = quillory::Narrow(path);
        csv += quillory::ReportCsvRow({document, document, result, "", 1.0});
        ++rows;
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  return quillory::WriteWholeFile(report, csv).empty();
}

}  // namespace

int main(int argc, char** argv) {
  const size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const size_t folders = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  const std::wstring program = quillory::ApplicationFolder() + L"\\Quillory.com";
  const std::wstring root = L"C:\\quillory-bench-migration-" + std::to_wstring(files) + L"-" + std::to_wstring(folders);
  if (!bench::MakeTree(root, files, folders, {L".doc"})) {
    std::printf("cannot make the tree %ls\n", root.c_str());
    return 1;
  }
  const std::wstring failed = root + L".failed.csv", converted = root + L".converted.csv";  // beside the tree
  size_t rows = 0;
  if (!WriteReport(root, failed, quillory::DocumentResult::kFailed, rows) ||
      !WriteReport(root, converted, quillory::DocumentResult::kConverted, rows)) {
    std::printf("cannot write the reports beside %ls\n", root.c_str());
    return 1;
  }
  // A tenth of the tree: the first tenth of its top folders.
  std::wstring tenth;
  for (size_t i = 0; i < std::max<size_t>(1, folders / 1000); ++i) tenth += L" \"" + root + L"\\d" + std::to_wstring(1000 + i) + L"\"";

  std::vector<double> bare, list, resumed, done;
  size_t listPeak = 0, tenthPeak = 0;
  const std::wstring quoted = L" \"" + root + L"\"";
  for (int r = 0; r < rounds; ++r) {
    auto begun = Clock::now();
    bench::BareEnumeration(root);
    bare.push_back(bench::MsSince(begun));
    begun = Clock::now();
    long code = bench::RunConsole(program, L"/list" + quoted, &listPeak);
    list.push_back(bench::MsSince(begun));
    if (code != 0) std::printf("Quillory.com /list exited with %ld\n", code);
    for (std::vector<double>* figures : {&resumed, &done}) {
      begun = Clock::now();
      code = bench::RunConsole(program, L"/list /resume /report:\"" + (figures == &done ? converted : failed) + L"\"" + quoted);
      figures->push_back(bench::MsSince(begun));
      if (code != 0) std::printf("Quillory.com /list /resume exited with %ld\n", code);
    }
  }
  bench::RunConsole(program, L"/list" + tenth, &tenthPeak);

  // One row of the report as the run writes it, a thousand times.
  const std::wstring journal = root + L".journal.csv";
  DeleteFileW(journal.c_str());
  std::string error;
  auto file = quillory::AppendingFile::Start(journal, quillory::AppendingFile::Open::kNew, 0, &error);
  const std::string row = quillory::ReportCsvRow({quillory::Narrow(root) + "\\d1000\\s1000\\file100000.doc",
                                                  quillory::Narrow(root) + "\\d1000\\s1000\\file100000.dot",
                                                  quillory::DocumentResult::kConverted, "", 1.234});
  const auto begun = Clock::now();
  for (int i = 0; i < 1000 && file; ++i) file->Append(row);
  const double perRow = bench::MsSince(begun) / 1000;
  file.reset();
  DeleteFileW(journal.c_str());

  std::printf("%zu documents in %zu folders, median of %d rounds:\n", files, folders, rounds);
  std::printf("  bare FindFirstFileExW enumeration: %.1f ms\n", Median(bare));
  std::printf("  Quillory.com /list (its start and every line included): %.1f ms, ratio %.3f\n", Median(list),
              Median(list) / Median(bare));
  std::printf("  Quillory.com /list /resume from a report of %zu failed rows: %.1f ms, %.1f ms more than /list\n",
              rows, Median(resumed), Median(resumed) - Median(list));
  std::printf("  Quillory.com /list /resume from a report of %zu converted rows, templates there: %.1f ms\n", rows,
              Median(done));
  std::printf("  peak private memory of /list: %.1f MB over a tenth of the tree, %.1f MB over all of it\n",
              tenthPeak / 1048576.0, listPeak / 1048576.0);
  std::printf("  one report row written and flushed to the disk: %.3f ms\n", perRow);
  return 0;
}

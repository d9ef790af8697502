// The console twin against the stand-in automation server: the time per document of
// `Quillory.com` converting a list given on its command line, its process start included,
// against a bare loop of the same automation calls made directly through IDispatch,
// alternating in rounds; the console runs once with no instances started ahead (the same work
// as the bare loop), once the same writing its report row by row (/report), and once as the
// user's setting has it.
//   bench_console_run [documents per round=20] [rounds=3]
#include <windows.h>
#include <objbase.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bare_automation.h"
#include "conversion/word_instance_win.h"
#include "console_process.h"
#include "figures.h"
#include "platform/files.h"

namespace {

using bench::Clock;

}  // namespace

int main(int argc, char** argv) {
  const int block = argc > 1 ? std::atoi(argv[1]) : 20;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_JOURNAL", nullptr);
  const std::wstring program = quillory::ApplicationFolder() + L"\\Quillory.com";

  const std::wstring document = bench::BenchDocument(L"console-bench");
  const std::wstring folder = document.substr(0, document.rfind(L'\\'));
  if (document.empty()) {
    std::printf("cannot copy the fixture letter.doc\n");
    return 1;
  }
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(quillory::kWordProgId, &clsid))) {
    std::printf("Word.Application is not registered (run tools/wine-prefix)\n");
    return 1;
  }
  BSTR documentB = SysAllocString(document.c_str());
  BSTR templB = SysAllocString((folder + L"\\letter.dot").c_str());
  BSTR emptyB = SysAllocString(L"");
  BSTR passwordB = SysAllocString(quillory::kNoDocumentPassword);
  std::wstring arguments = L"/dot";
  for (int i = 0; i < block; ++i) arguments += L" \"" + document + L"\"";

  // The console program's start alone, for the reader to weigh against a document.
  std::vector<double> start;
  for (int i = 0; i < 5; ++i) {
    const auto begun = Clock::now();
    bench::RunConsole(program, L"/?");
    start.push_back(bench::MsSince(begun));
  }

  std::vector<double> bare, console, journaled, ahead;
  const std::wstring report = folder + L"\\report.csv";
  const wchar_t* settings = L"Software\\Quillory";
  for (int r = 0; r < rounds; ++r) {
    auto begun = Clock::now();
    for (int i = 0; i < block; ++i) {
      if (!bench::BareDocument(clsid, documentB, templB, emptyB, passwordB)) std::printf("bare loop: a document failed\n");
    }
    bare.push_back(bench::MsSince(begun) / block);
    for (std::vector<double>* figures : {&console, &journaled, &ahead}) {
      const DWORD none = 0;
      if (figures != &ahead) {
        RegSetKeyValueW(HKEY_CURRENT_USER, settings, L"InstancesAhead", REG_DWORD, &none, sizeof none);
      }
      begun = Clock::now();
      const long code =
          bench::RunConsole(program, (figures == &journaled ? L"/report:\"" + report + L"\" " : L"") + arguments);
      figures->push_back(bench::MsSince(begun) / block);
      RegDeleteKeyValueW(HKEY_CURRENT_USER, settings, L"InstancesAhead");
      if (code != 0) std::printf("Quillory.com exited with %ld\n", code);
    }
  }
  std::printf("Quillory.com /? (process start to exit), median of 5: %.1f ms\n", bench::Median(start));
  std::printf("per document, median of %d rounds of %d: bare loop %.1f ms, Quillory.com with no instance ahead "
              "%.1f ms, ratio %.3f\n",
              rounds, block, bench::Median(bare), bench::Median(console), bench::Median(console) / bench::Median(bare));
  std::printf("the same with /report:FILE, each row on the disk as its document ends: %.1f ms, ratio to "
              "no report %.4f\n",
              bench::Median(journaled), bench::Median(journaled) / bench::Median(console));
  std::printf("Quillory.com with the instances ahead the user's setting gives (4 unless set): %.1f ms, ratio %.3f\n",
              bench::Median(ahead), bench::Median(ahead) / bench::Median(bare));

  SysFreeString(documentB);
  SysFreeString(templB);
  SysFreeString(emptyB);
  SysFreeString(passwordB);
  DeleteFileW(document.c_str());
  DeleteFileW(report.c_str());
  DeleteFileW((folder + L"\\letter.dot").c_str());
  RemoveDirectoryW(folder.c_str());
  CoUninitialize();
  return 0;
}

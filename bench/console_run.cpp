// The console twin against the stand-in automation server: the time per document of
// `Quillory.com` converting a list given on its command line, its process start included,
// against a bare loop of the same automation calls made directly through IDispatch,
// alternating in rounds; the console runs once with no instances started ahead (the same work
// as the bare loop) and once as the user's setting has it.
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
#include "figures.h"
#include "platform/files.h"

namespace {

using bench::Clock;

// Runs the console twin with `arguments`, its output discarded; its exit code, or -1.
long RunConsole(const std::wstring& program, const std::wstring& arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = nul;
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    CloseHandle(nul);
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(nul);
  return static_cast<long>(code);
}

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
    RunConsole(program, L"/?");
    start.push_back(bench::MsSince(begun));
  }

  std::vector<double> bare, console, ahead;
  const wchar_t* settings = L"Software\\Quillory";
  for (int r = 0; r < rounds; ++r) {
    auto begun = Clock::now();
    for (int i = 0; i < block; ++i) {
      if (!bench::BareDocument(clsid, documentB, templB, emptyB, passwordB)) std::printf("bare loop: a document failed\n");
    }
    bare.push_back(bench::MsSince(begun) / block);
    for (std::vector<double>* figures : {&console, &ahead}) {
      const DWORD none = 0;
      if (figures == &console) {
        RegSetKeyValueW(HKEY_CURRENT_USER, settings, L"InstancesAhead", REG_DWORD, &none, sizeof none);
      }
      begun = Clock::now();
      const long code = RunConsole(program, arguments);
      figures->push_back(bench::MsSince(begun) / block);
      RegDeleteKeyValueW(HKEY_CURRENT_USER, settings, L"InstancesAhead");
      if (code != 0) std::printf("Quillory.com exited with %ld\n", code);
    }
  }
  std::printf("Quillory.com /? (process start to exit), median of 5: %.1f ms\n", bench::Median(start));
  std::printf("per document, median of %d rounds of %d: bare loop %.1f ms, Quillory.com with no instance ahead "
              "%.1f ms, ratio %.3f\n",
              rounds, block, bench::Median(bare), bench::Median(console), bench::Median(console) / bench::Median(bare));
  std::printf("Quillory.com with the instances ahead the user's setting gives (4 unless set): %.1f ms, ratio %.3f\n",
              bench::Median(ahead), bench::Median(ahead) / bench::Median(bare));

  SysFreeString(documentB);
  SysFreeString(templB);
  SysFreeString(emptyB);
  SysFreeString(passwordB);
  DeleteFileW(document.c_str());
  DeleteFileW((folder + L"\\letter.dot").c_str());
  RemoveDirectoryW(folder.c_str());
  CoUninitialize();
  return 0;
}

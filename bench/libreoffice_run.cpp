// A cross-family run through the window: N copies of letter.doc pressed to ".dotx", which the
// stand-in hands to LibreOffice, at the default depth of instances started ahead. Prints the
// seconds of the press, and for 200 documents or more the time of its last hundred against its
// first (from the templates' write times); bench/libreoffice sets it against soffice by hand.
//   bench_libreoffice_run [documents=20]
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bare_automation.h"
#include "common/utf_win.h"
#include "figures.h"
#include "support/dialog_watcher.h"

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 20;
  if (FAILED(OleInitialize(nullptr))) return 1;
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_JOURNAL", nullptr);
  const std::wstring document = bench::BenchDocument(L"libreoffice-bench");
  if (document.empty()) {
    std::printf("cannot copy the fixture letter.doc\n");
    return 1;
  }
  std::vector<std::string> entries;
  const std::wstring folder = document.substr(0, document.rfind(L'\\'));
  for (int i = 0; i < count; ++i) {
    const std::wstring copy = folder + L"\\letter-" + std::to_wstring(i) + L".doc";
    CopyFileW(document.c_str(), copy.c_str(), FALSE);
    entries.push_back(quillory::Narrow(copy));
  }
  quillory::Form1Options options;
  options.homePage.draw = [](float) { return 0.5f; };
  auto form = quillory::Form1::Create(GetModuleHandleW(nullptr), std::move(options));
  form->AppendEntries(entries);
  SendMessageW(form->Control(quillory::IDC_OPTION2), BM_CLICK, 0, 0);
  quillory::test::PumpPending();
  quillory::test::DialogWatcher watcher([](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
  const auto start = bench::Clock::now();
  FILETIME pressed;
  GetSystemTimeAsFileTime(&pressed);
  SendMessageW(form->Control(quillory::IDC_CHECK2), BM_CLICK, 0, 0);
  const double seconds = bench::MsSince(start) / 1000.0;
  watcher.Stop();
  const auto seen = watcher.Seen();
  const std::wstring message = seen.empty() ? L"(no message)" : seen.back().text;
  std::printf("window: %d documents in %.2f s, %.0f ms a document%s\n", count, seconds, seconds * 1000 / count,
              message == L"Done." ? "" : "  NOT DONE");
  if (message != L"Done.") std::printf("   the run said: %s\n", quillory::Narrow(message).substr(0, 400).c_str());
  // When each template was written, in seconds after the press.
  const auto written = [&](int i) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW((folder + L"\\letter-" + std::to_wstring(i) + L".dotx").c_str(), GetFileExInfoStandard, &data);
    const auto ticks = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return (static_cast<double>(ticks(data.ftLastWriteTime)) - static_cast<double>(ticks(pressed))) / 1e7;
  };
  if (count >= 200 && message == L"Done.") {
    const double first = written(99), last = written(count - 1) - written(count - 101);
    std::printf("hundreds: the last hundred in %.1f s against the first in %.1f s, %.2f times\n", last, first,
                last / first);
  }
  for (int i = 0; i < count; ++i) {
    DeleteFileW(quillory::Widen(entries[i]).c_str());
    DeleteFileW((folder + L"\\letter-" + std::to_wstring(i) + L".dotx").c_str());
  }
  DeleteFileW(document.c_str());
  RemoveDirectoryW(folder.c_str());
  OleUninitialize();
  return message == L"Done." ? 0 : 1;
}

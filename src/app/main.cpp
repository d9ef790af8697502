// Quillory's start: the main window is the whole program.
#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "common/utf_win.h"
#include "conversion/instance_thread_win.h"
#include "platform/files.h"
#include "platform/message_pump.h"
#include "common/scoped_handles_win.h"

namespace {

// The documents named after the program (what Explorer passes for files dropped on its icon or
// sent to it), full paths in their order. `afterProgram` is what follows the program's name: a
// start without arguments, the usual one, loads nothing more.
std::vector<std::string> DocumentsToList(const wchar_t* afterProgram) {
  std::vector<std::string> documents;
  if (!afterProgram || !afterProgram[wcsspn(afterProgram, L" \t")]) return documents;
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments) return documents;
  for (int i = 1; i < count; ++i) {
    const std::wstring path = arguments[i];
    if (path.empty()) continue;
    documents.push_back(quillory::Narrow(quillory::FullPath(path)));
  }
  LocalFree(arguments);
  return documents;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
  // One thread, an apartment of its own: automation and drag and drop both need OLE, the
  // window's first paint does not. The window asks for the drop target once it is shown,
  // from the loop below, by which time the apartment is there.
  std::optional<quillory::OleApartment> apartment;
  quillory::Form1Options options;
  options.showCommand = showCommand;
  options.initialEntries = DocumentsToList(commandLine);
  options.onClosed = [] { PostQuitMessage(0); };
  std::unique_ptr<quillory::Form1> form = quillory::Form1::Create(instance, std::move(options));
  if (!form) return 1;
  if (!apartment.emplace().Ok()) return 1;
  const int code = quillory::RunMessageLoop([&form] { return form->Hwnd(); });
  // The window is gone at once; the process stays until no instance it asked for can arrive.
  quillory::SettleInstancesBeforeExit(quillory::kExitWaitForInstances);
  return code;
}

// Quillory's start: the main window is the whole program.
#include <windows.h>

#include <optional>

#include "app/main_window.h"
#include "platform/message_pump.h"
#include "platform/scoped_handles.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // One thread, an apartment of its own: automation and drag and drop both need OLE, the
  // window's first paint does not. The window asks for the drop target once it is shown,
  // from the loop below, by which time the apartment is there.
  std::optional<quillory::OleApartment> apartment;
  quillory::Form1Options options;
  options.showCommand = showCommand;
  options.onClosed = [] { PostQuitMessage(0); };
  std::unique_ptr<quillory::Form1> form = quillory::Form1::Create(instance, std::move(options));
  if (!form) return 1;
  if (!apartment.emplace().Ok()) return 1;
  return quillory::RunMessageLoop([&form] { return form->Hwnd(); });
}

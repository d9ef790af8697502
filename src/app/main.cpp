// Quillory's start: the main window is the whole program.
#include <windows.h>

#include "app/main_window.h"
#include "platform/message_pump.h"
#include "platform/scoped_handles.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // One thread, an apartment of its own: automation and drag and drop both need OLE.
  quillory::OleApartment apartment;
  if (!apartment.Ok()) return 1;
  quillory::Form1Options options;
  options.showCommand = showCommand;
  options.onClosed = [] { PostQuitMessage(0); };
  std::unique_ptr<quillory::Form1> form = quillory::Form1::Create(instance, std::move(options));
  if (!form) return 1;
  return quillory::RunMessageLoop([&form] { return form->Hwnd(); });
}

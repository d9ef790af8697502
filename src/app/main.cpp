// Quillory's start: the main window is the whole program.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include "app/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // One thread, an apartment of its own: automation and drag and drop both need OLE.
  if (FAILED(OleInitialize(nullptr))) return 1;
  int exitCode = 0;
  {
    quillory::Form1Options options;
    options.showCommand = showCommand;
    options.onClosed = [] { PostQuitMessage(0); };
    std::unique_ptr<quillory::Form1> form = quillory::Form1::Create(instance, std::move(options));
    if (!form) {
      OleUninitialize();
      return 1;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (form->Hwnd() && IsDialogMessageW(form->Hwnd(), &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    exitCode = static_cast<int>(msg.wParam);
  }
  OleUninitialize();
  return exitCode;
}

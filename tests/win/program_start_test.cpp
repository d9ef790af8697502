// Quillory.exe itself. Its file's resources as the system sees them (the test program links the
// same resource script). Started as a user starts it: the system DLLs its first paint does not
// need load at their first call; the list becomes a drop target once OLE is there, the Open
// dialog and the folder picker come up from DLLs loaded then, and closing the window ends
// the program.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "adding/input_box_win.h"
#include "app/main_window.h"
#include "app/resources/resource_ids.h"
#include "platform/scoped_handles.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

TEST(ProgramFile, NamesQuilloryOneZeroAndSelectsCommonControlsSix) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::vector<BYTE> data(GetFileVersionInfoSizeW(path, nullptr));
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(data.size()), data.data()));
  UINT length = 0;
  for (auto [name, expected] : {std::pair{L"FileVersion", L"1.00"}, {L"ProductVersion", L"1.00"},
                                {L"ProductName", L"Quillory"}, {L"InternalName", L"Quillory"},
                                {L"OriginalFilename", L"Quillory.exe"}}) {
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    wchar_t* value = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) << name;
    EXPECT_STREQ(value, expected);
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);

  // The manifest: only version 6 of the controls answers BCM_GETIDEALSIZE, here for the window's own buttons.
  auto form = MakeForm();
  SIZE ideal = {};
  EXPECT_TRUE(SendMessageW(form->Control(IDC_CHECK1), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
}

// Whether anything of the icon's image for that size shows when drawn over a colour no icon uses.
bool ShowsAnything(int id, int size) {
  constexpr uint32_t kBackground = 0x123456;
  const ScopedIcon icon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  EXPECT_TRUE(icon);
  const std::unique_ptr<std::remove_pointer_t<HDC>, decltype(&DeleteDC)> dc(CreateCompatibleDC(nullptr), DeleteDC);
  BITMAPINFO info{{sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  uint32_t* bits = nullptr;
  const std::unique_ptr<std::remove_pointer_t<HBITMAP>, decltype(&DeleteObject)> bitmap(
      CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0), DeleteObject);
  const ScopedSelection selected(dc.get(), bitmap.get());
  std::fill_n(bits, size * size, kBackground);
  DrawIconEx(dc.get(), 0, 0, icon.Get(), size, size, 0, nullptr, DI_NORMAL);
  GdiFlush();
  return std::any_of(bits, bits + size * size, [](uint32_t pixel) { return (pixel & 0xFFFFFF) != kBackground; });
}

TEST(ProgramFile, IconsHoldAnImageDrawnForEachSize) {
  for (auto [id, bits, blank] : {std::tuple{IDI_BUTTON_DOCUMENT, 32, false}, {IDI_BUTTON_FOLDER, 8, false},
                                 {IDI_BUTTON_FLOPPY, 32, false}, {IDI_QUILLORY_BLANK, 32, true}}) {
    SCOPED_TRACE(id);
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    ASSERT_TRUE(found);
    // The icon's directory: the image count at byte 4, then 14-byte entries (width at 0, bit count at 6).
    const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    std::vector<int> sizes;
    for (int i = 0; i < directory[4]; ++i) {
      sizes.push_back(directory[6 + 14 * i]);
      EXPECT_EQ(directory[6 + 14 * i + 6], bits);
    }
    EXPECT_EQ(sizes, (std::vector<int>{32, 16, 48, 64}));
    for (int size : {32, 48}) EXPECT_NE(ShowsAnything(id, size), blank) << "size " << size;
  }
}

// Waits for a visible window of `process` of the class given; null when none comes.
HWND WaitForWindow(DWORD process, const wchar_t* windowClass) {
  HWND found = nullptr;
  PumpUntil([&] {
    for (HWND window = nullptr; !found && (window = FindWindowExW(nullptr, window, windowClass, nullptr));) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == process && IsWindowVisible(window)) found = window;
    }
    return found != nullptr;
  });
  return found;
}

// Answers a dialog with a button and waits until it is gone.
bool Answer(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  return PumpUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

TEST(ProgramStart, TheWindowShowsThenOlesDropTargetTheOpenDialogAndTheFolderPickerLoadAsCalledAndCloseEnds) {
  ScopedHandle process;
  DWORD id = 0;
  ASSERT_TRUE(StartProgram(L"\"" + ApplicationFolder() + L"\\Quillory.exe\"", &process, &id));
  HWND window = WaitForWindow(id, kForm1ClassName);
  ASSERT_NE(window, nullptr);

  HWND list = GetDlgItem(window, IDC_LISTVIEW1);
  EXPECT_TRUE(PumpUntil([&] { return GetPropW(list, L"OleDropTargetInterface") != nullptr; }));

  PostMessageW(GetDlgItem(window, IDC_CHECK1), BM_CLICK, 0, 0);
  HWND open = WaitForWindow(id, L"#32770");
  ASSERT_NE(open, nullptr);
  EXPECT_TRUE(Answer(open, IDCANCEL));
  PostMessageW(GetDlgItem(window, IDC_CHECK4), BM_CLICK, 0, 0);
  HWND box = WaitForWindow(id, L"#32770");
  ASSERT_NE(GetDlgItem(box, kInputBoxAnswerId), nullptr);
  EXPECT_TRUE(Answer(box, IDOK));  // "doc"
  HWND picker = WaitForWindow(id, L"#32770");
  ASSERT_NE(picker, nullptr);
  EXPECT_TRUE(Answer(picker, IDCANCEL));

  PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD exitCode = STILL_ACTIVE;
  EXPECT_TRUE(PumpUntil([&] { return GetExitCodeProcess(process.Get(), &exitCode) && exitCode != STILL_ACTIVE; }));
  EXPECT_EQ(exitCode, 0u);
  if (exitCode == STILL_ACTIVE) TerminateProcess(process.Get(), 1);
}

}  // namespace
}  // namespace quillory::test

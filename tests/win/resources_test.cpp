// The program file's resources as the system sees them: the test program links the same
// resource script, so it reads its own version block, icons and manifest.
#include <windows.h>
#include <commctrl.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "app/resources/resource_ids.h"
#include "support/form_fixture.h"

namespace {

TEST(ProgramFile, NamesQuilloryOneZeroAndSelectsCommonControlsSix) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::vector<BYTE> data(GetFileVersionInfoSizeW(path, nullptr));
  ASSERT_FALSE(data.empty());
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(data.size()), data.data()));
  for (auto [name, expected] : {std::pair{L"FileVersion", L"1.00"}, {L"ProductVersion", L"1.00"},
                                {L"ProductName", L"Quillory"}, {L"InternalName", L"Quillory"},
                                {L"OriginalFilename", L"Quillory.exe"}}) {
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    wchar_t* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) << name;
    EXPECT_STREQ(value, expected);
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);

  // The manifest: only version 6 of the controls answers BCM_GETIDEALSIZE.
  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_STANDARD_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&classes));
  HWND button = CreateWindowExW(0, L"Button", L"Quillory", WS_POPUP | BS_PUSHBUTTON, 0, 0, 10, 10, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  SIZE ideal = {};
  EXPECT_TRUE(SendMessageW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
  DestroyWindow(button);
}

// Whether anything of the icon shows when drawn at that size over white or over black.
bool ShowsAnything(HICON icon, int size) {
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{{sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  bool shows = false;
  for (uint32_t background : {0xFFFFFFu, 0u}) {
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::fill_n(bits, size * size, background);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    shows |= std::any_of(bits, bits + size * size, [&](uint32_t pixel) { return (pixel & 0xFFFFFF) != background; });
    SelectObject(dc, old);
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
  return shows;
}

TEST(ProgramFile, IconsHoldAnImageDrawnForEachSize) {
#pragma pack(push, 2)
  struct GroupEntry {  // one image in an icon's directory
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
  };
#pragma pack(pop)
  const struct {
    int id;
    WORD bits;
    bool blank;
  } icons[] = {{IDI_BUTTON_DOCUMENT, 32, false},
               {IDI_BUTTON_FOLDER, 8, false},  // 256 colours
               {IDI_BUTTON_FLOPPY, 32, false},
               {IDI_QUILLORY_BLANK, 32, true}};
  for (const auto& icon : icons) {
    SCOPED_TRACE(icon.id);
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(icon.id), RT_GROUP_ICON);
    ASSERT_TRUE(found);
    const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    const auto* entries = reinterpret_cast<const GroupEntry*>(directory + 6);
    std::vector<int> sizes;
    for (WORD i = 0; i < reinterpret_cast<const WORD*>(directory)[2]; ++i) {
      sizes.push_back(entries[i].width);
      EXPECT_EQ(entries[i].bitCount, icon.bits);
    }
    EXPECT_EQ(sizes, (std::vector<int>{32, 16, 48, 64}));
    for (int size : {32, 48}) {
      HICON loaded = static_cast<HICON>(
          LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon.id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
      ASSERT_TRUE(loaded);
      EXPECT_NE(ShowsAnything(loaded, size), icon.blank) << "size " << size;
      DestroyIcon(loaded);
    }
  }
}

TEST(ProgramFolder, PointerFilesLoadAsCursorsWithTheirHotspots) {
  // The drag image points with the middle of its arrow; the hand with its index fingertip.
  for (auto [name, x, y] : {std::tuple{L"drag.ico", 16u, 16u}, {L"HAND-M.CUR", 12u, 1u}}) {
    const std::wstring path = quillory::test::TestProgramFolder() + L"\\" + name;
    HCURSOR cursor = static_cast<HCURSOR>(LoadImageW(nullptr, path.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
    ASSERT_TRUE(cursor) << testing::PrintToString(path);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, x);
    EXPECT_EQ(info.yHotspot, y);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyCursor(cursor);
  }
}

}  // namespace

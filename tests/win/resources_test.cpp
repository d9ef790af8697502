// The program file's resources as the system sees them: the test program links the same
// resource script, so it reads its own version block, icons and manifest.
#include <windows.h>
#include <commctrl.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/resources/resource_ids.h"
#include "support/form_fixture.h"

namespace {

std::wstring ProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

TEST(ProgramFile, VersionResourceNamesQuilloryOneZero) {
  const std::wstring path = ProgramPath();
  DWORD ignored = 0;
  std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), &ignored));
  ASSERT_FALSE(data.empty());
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
  auto text = [&](const wchar_t* name) -> std::wstring {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    return VerQueryValueW(data.data(), key.c_str(), &value, &length) && length ? static_cast<wchar_t*>(value)
                                                                                : L"<missing>";
  };
  EXPECT_EQ(text(L"FileVersion"), L"1.00");
  EXPECT_EQ(text(L"ProductVersion"), L"1.00");
  EXPECT_EQ(text(L"ProductName"), L"Quillory");
  EXPECT_EQ(text(L"InternalName"), L"Quillory");
  EXPECT_EQ(text(L"OriginalFilename"), L"Quillory.exe");

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
}

#pragma pack(push, 2)
struct GroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

// The images an icon resource holds, as its directory lists them.
std::vector<GroupEntry> Directory(int id) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
  if (!found) return {};
  const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
  const WORD count = reinterpret_cast<const WORD*>(bytes)[2];
  const auto* first = reinterpret_cast<const GroupEntry*>(bytes + 6);
  return std::vector<GroupEntry>(first, first + count);
}

// The icon drawn at that size over white and over black.
struct Rendered {
  std::vector<uint32_t> onWhite, onBlack;
  // Nothing of the icon shows: each background stays as it was.
  bool Invisible() const {
    for (size_t i = 0; i < onWhite.size(); ++i) {
      if ((onWhite[i] & 0xFFFFFF) != 0xFFFFFF || (onBlack[i] & 0xFFFFFF) != 0) return false;
    }
    return true;
  }
};
Rendered Render(HICON icon, int size) {
  Rendered rendered;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  for (auto [colour, out] : {std::pair{RGB(255, 255, 255), &rendered.onWhite}, {RGB(0, 0, 0), &rendered.onBlack}}) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    out->assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size * size);
    SelectObject(dc, old);
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return rendered;
}

TEST(ProgramFile, IconsHoldAnImageDrawnForEachSize) {
  struct Icon {
    int id;
    WORD bits;
    bool blank;
  } icons[] = {{IDI_BUTTON_DOCUMENT, 32, false},
               {IDI_BUTTON_FOLDER, 8, false},  // 256 colours
               {IDI_BUTTON_FLOPPY, 32, false},
               {IDI_QUILLORY_BLANK, 32, true}};
  for (const Icon& icon : icons) {
    SCOPED_TRACE(icon.id);
    std::vector<int> sizes;
    for (const GroupEntry& entry : Directory(icon.id)) {
      sizes.push_back(entry.width);
      EXPECT_EQ(entry.bitCount, icon.bits);
    }
    EXPECT_EQ(sizes, (std::vector<int>{32, 16, 48, 64}));
    for (int size : {32, 48}) {
      HICON loaded = static_cast<HICON>(
          LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon.id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
      ASSERT_NE(loaded, nullptr);
      const Rendered rendered = Render(loaded, size);
      EXPECT_EQ(rendered.Invisible(), icon.blank) << "size " << size;
      DestroyIcon(loaded);
    }
  }
}

TEST(ProgramFile, ManifestSelectsCommonControlsSix) {
  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_STANDARD_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&classes));
  HWND button = CreateWindowExW(0, L"Button", L"Quillory", WS_POPUP | BS_PUSHBUTTON, 0, 0, 10, 10, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(button, nullptr);
  SIZE ideal = {};  // only version 6 answers this
  EXPECT_TRUE(SendMessageW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
  DestroyWindow(button);
}

TEST(ProgramFolder, PointerFilesLoadAsCursorsWithTheirHotspots) {
  // The drag image points with the middle of its arrow; the hand with its index fingertip.
  const struct {
    const wchar_t* name;
    DWORD x, y;
  } files[] = {{L"drag.ico", 16, 16}, {L"HAND-M.CUR", 12, 1}};
  for (const auto& file : files) {
    const std::wstring path = quillory::test::TestProgramFolder() + L"\\" + file.name;
    HCURSOR cursor = static_cast<HCURSOR>(LoadImageW(nullptr, path.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(cursor, nullptr) << testing::PrintToString(path);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, file.x);
    EXPECT_EQ(info.yHotspot, file.y);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DestroyCursor(cursor);
  }
}

}  // namespace

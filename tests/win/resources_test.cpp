// The program file's resources as the system sees them: the test program links the same
// resource script, so it reads its own version block, icons and manifest.
#include <windows.h>
#include <commctrl.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "app/resources/resource_ids.h"

namespace {

std::wstring ProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// The pointer files are installed beside the programs, the tests included.
std::wstring ProgramFolderFile(const wchar_t* name) {
  const std::wstring path = ProgramPath();
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

class VersionBlock {
 public:
  VersionBlock() {
    const std::wstring path = ProgramPath();
    DWORD ignored = 0;
    data_.resize(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    loaded_ = !data_.empty() && GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data_.size()), data_.data());
  }
  bool Loaded() const { return loaded_; }
  // Returns the value at a VerQueryValue path, or nullptr.
  const void* Value(const std::wstring& subBlock, UINT* size = nullptr) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), subBlock.c_str(), &value, &length) || length == 0) return nullptr;
    if (size) *size = length;
    return value;
  }
  std::wstring Text(const std::wstring& name) {
    const void* value = Value(L"\\StringFileInfo\\040904B0\\" + name);
    return value ? static_cast<const wchar_t*>(value) : L"<missing>";
  }

 private:
  std::vector<BYTE> data_;
  bool loaded_ = false;
};

TEST(ProgramFile, VersionResourceNamesQuilloryOneZero) {
  VersionBlock block;
  ASSERT_TRUE(block.Loaded());
  EXPECT_EQ(block.Text(L"FileVersion"), L"1.00");
  EXPECT_EQ(block.Text(L"ProductVersion"), L"1.00");
  EXPECT_EQ(block.Text(L"ProductName"), L"Quillory");
  EXPECT_EQ(block.Text(L"InternalName"), L"Quillory");
  EXPECT_EQ(block.Text(L"OriginalFilename"), L"Quillory.exe");

  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(block.Value(L"\\"));
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.0
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);           // .0.0
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);

  UINT size = 0;
  const auto* translation = static_cast<const WORD*>(block.Value(L"\\VarFileInfo\\Translation", &size));
  ASSERT_NE(translation, nullptr);
  ASSERT_GE(size, 4u);
  EXPECT_EQ(translation[0], 0x409);  // US English
  EXPECT_EQ(translation[1], 1200);   // Unicode
}

// The pixels of a bitmap as 32-bit values, top row first.
std::vector<uint32_t> Pixels(HBITMAP bitmap, int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0xDEADBEEF);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != height) pixels.clear();
  return pixels;
}

// An icon's two bitmaps with their size; owns what GetIconInfo hands out.
struct IconParts {
  explicit IconParts(HICON icon) {
    ok = icon && GetIconInfo(icon, &info);
    BITMAP mask = {};
    if (ok && GetObjectW(info.hbmMask, sizeof(mask), &mask)) {
      width = mask.bmWidth;
      height = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;  // monochrome: AND over XOR
    }
  }
  ~IconParts() {
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
  }
  IconParts(const IconParts&) = delete;
  IconParts& operator=(const IconParts&) = delete;
  ICONINFO info = {};
  bool ok = false;
  int width = 0;
  int height = 0;
};

HICON LoadOwnIcon(int id) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
}

// The bytes of one of the program's own resources, or an empty span.
struct ResourceBytes {
  const BYTE* data = nullptr;
  DWORD size = 0;
};
ResourceBytes OwnResource(int id, LPCWSTR type) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(id), type);
  if (!found) return {};
  return {static_cast<const BYTE*>(LockResource(LoadResource(self, found))), SizeofResource(self, found)};
}

// Colour depth the icon group resource promises for its first image, the 32 x 32 one that a
// loader given no size takes.
int GroupIconBits(int id, int* width, int* height) {
  const ResourceBytes group = OwnResource(id, RT_GROUP_ICON);
  if (group.size < 6 + 14) return 0;
  const BYTE* entry = group.data + 6;  // GRPICONDIR header, then GRPICONDIRENTRY
  *width = entry[0];
  *height = entry[1];
  return entry[6] | (entry[7] << 8);
}

// One line of an icon group's directory.
struct GroupEntry {
  int size;
  int bits;
  bool operator==(const GroupEntry&) const = default;
};
void PrintTo(const GroupEntry& entry, std::ostream* out) { *out << entry.size << " px " << entry.bits << "-bit"; }

std::vector<GroupEntry> GroupEntries(int id) {
  const ResourceBytes group = OwnResource(id, RT_GROUP_ICON);
  std::vector<GroupEntry> entries;
  if (group.size < 6) return entries;
  const int count = group.data[4] | (group.data[5] << 8);
  for (int i = 0; i < count && 6u + 14u * (i + 1) <= group.size; ++i) {
    const BYTE* entry = group.data + 6 + 14 * i;
    entries.push_back({entry[0] ? entry[0] : 256, entry[6] | (entry[7] << 8)});
  }
  return entries;
}

// The image the system picks from the icon group for a size, as stored in its RT_ICON
// resource: its header and its AND mask (1 = transparent), top row first.
struct StoredIcon {
  BITMAPINFOHEADER header = {};
  std::vector<bool> transparent;
};
StoredIcon StoredIconFor(int groupId, int size) {
  StoredIcon icon;
  const ResourceBytes group = OwnResource(groupId, RT_GROUP_ICON);
  if (!group.data) return icon;
  const int iconId = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group.data), TRUE, size, size, LR_DEFAULTCOLOR);
  const ResourceBytes image = OwnResource(iconId, RT_ICON);
  if (image.size < sizeof(icon.header)) return icon;
  memcpy(&icon.header, image.data, sizeof(icon.header));
  const int width = icon.header.biWidth;
  const int height = icon.header.biHeight / 2;
  const size_t palette = icon.header.biBitCount <= 8 ? 4u * (icon.header.biClrUsed ? icon.header.biClrUsed : 1u << icon.header.biBitCount) : 0;
  const size_t colourStride = (static_cast<size_t>(width) * icon.header.biBitCount + 31) / 32 * 4;
  const size_t maskStride = (static_cast<size_t>(width) + 31) / 32 * 4;
  const size_t maskStart = icon.header.biSize + palette + colourStride * height;
  if (width <= 0 || height <= 0 || maskStart + maskStride * height > image.size) return icon;
  icon.transparent.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const BYTE* row = image.data + maskStart + maskStride * (height - 1 - y);  // stored bottom row first
    for (int x = 0; x < width; ++x) icon.transparent[static_cast<size_t>(y) * width + x] = (row[x / 8] >> (7 - x % 8)) & 1;
  }
  return icon;
}

HICON LoadOwnIconSized(int id, int size) {
  return static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

TEST(ProgramFile, ButtonIconsAre32By32WithTheirColourDepthsAndNotBlank) {
  struct Expected {
    int id;
    int bits;
  };
  for (const Expected& icon : {Expected{IDI_BUTTON_DOCUMENT, 32}, Expected{IDI_BUTTON_FOLDER, 8},
                               Expected{IDI_BUTTON_FLOPPY, 32}}) {
    SCOPED_TRACE(icon.id);
    int width = 0, height = 0;
    EXPECT_EQ(GroupIconBits(icon.id, &width, &height), icon.bits);
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 32);

    HICON handle = LoadOwnIcon(icon.id);
    ASSERT_NE(handle, nullptr);
    {
      IconParts parts(handle);
      ASSERT_TRUE(parts.ok);
      EXPECT_EQ(parts.width, 32);
      EXPECT_EQ(parts.height, 32);
      const std::vector<uint32_t> mask = Pixels(parts.info.hbmMask, 32, 32);
      ASSERT_FALSE(mask.empty());
      size_t opaque = 0;
      for (uint32_t pixel : mask) opaque += (pixel & 0xFFFFFF) == 0;
      EXPECT_GT(opaque, 200u) << "the picture should cover a good part of the square";
    }
    DestroyIcon(handle);
  }
}

// The program asks for 32 px times the screen's scale (48 at 144 DPI, 64 at 192 DPI) and 16
// for small icons: each size has an image of its own, so none comes out a blurred 32.
TEST(ProgramFile, ButtonIconsHoldAnImageDrawnForEachSize) {
  struct Expected {
    int id;
    int bits;
  };
  for (const Expected& icon : {Expected{IDI_BUTTON_DOCUMENT, 32}, Expected{IDI_BUTTON_FOLDER, 8},
                               Expected{IDI_BUTTON_FLOPPY, 32}}) {
    SCOPED_TRACE(icon.id);
    EXPECT_EQ(GroupEntries(icon.id), (std::vector<GroupEntry>{
                                         {32, icon.bits}, {16, icon.bits}, {48, icon.bits}, {64, icon.bits}}));
    for (int size : {16, 48, 64}) {
      SCOPED_TRACE(size);
      const StoredIcon stored = StoredIconFor(icon.id, size);
      EXPECT_EQ(stored.header.biWidth, size);
      EXPECT_EQ(stored.header.biHeight, 2 * size);
      EXPECT_EQ(stored.header.biBitCount, icon.bits);
      ASSERT_EQ(stored.transparent.size(), static_cast<size_t>(size) * size);

      HICON handle = LoadOwnIconSized(icon.id, size);
      ASSERT_NE(handle, nullptr);
      {
        IconParts parts(handle);
        ASSERT_TRUE(parts.ok);
        EXPECT_EQ(parts.width, size);
        EXPECT_EQ(parts.height, size);
        // The loaded outline is the stored image's, pixel for pixel: not the 32 stretched.
        const std::vector<uint32_t> mask = Pixels(parts.info.hbmMask, size, size);
        ASSERT_EQ(mask.size(), stored.transparent.size());
        size_t differing = 0, opaque = 0;
        for (size_t i = 0; i < mask.size(); ++i) {
          const bool transparent = (mask[i] & 0xFFFFFF) != 0;
          differing += transparent != stored.transparent[i];
          opaque += !transparent;
        }
        EXPECT_EQ(differing, 0u);
        EXPECT_GT(opaque, mask.size() / 5) << "the picture should cover a good part of the square";
      }
      DestroyIcon(handle);
    }
  }
}

TEST(ProgramFile, WindowIconIsTransparentEverywhere) {
  HICON handle = LoadOwnIcon(IDI_QUILLORY_BLANK);
  ASSERT_NE(handle, nullptr);
  {
    IconParts parts(handle);
    ASSERT_TRUE(parts.ok);
    EXPECT_EQ(parts.width, 32);
    EXPECT_EQ(parts.height, 32);
    // AND mask all set: the screen shows through; colour all zero, alpha too: nothing added.
    const std::vector<uint32_t> mask = Pixels(parts.info.hbmMask, 32, 32);
    ASSERT_FALSE(mask.empty());
    for (uint32_t pixel : mask) ASSERT_EQ(pixel & 0xFFFFFF, 0xFFFFFFu);
    if (parts.info.hbmColor) {
      const std::vector<uint32_t> colour = Pixels(parts.info.hbmColor, 32, 32);
      ASSERT_FALSE(colour.empty());
      for (uint32_t pixel : colour) ASSERT_EQ(pixel, 0u);
    }
  }
  DestroyIcon(handle);
}

// Title bar, task bar and Alt+Tab ask for other sizes, at other scales larger ones.
TEST(ProgramFile, WindowIconIsTransparentAtEverySize) {
  EXPECT_EQ(GroupEntries(IDI_QUILLORY_BLANK), (std::vector<GroupEntry>{{32, 32}, {16, 32}, {48, 32}, {64, 32}}));
  for (int size : {16, 48, 64}) {
    SCOPED_TRACE(size);
    HICON handle = LoadOwnIconSized(IDI_QUILLORY_BLANK, size);
    ASSERT_NE(handle, nullptr);
    {
      IconParts parts(handle);
      ASSERT_TRUE(parts.ok);
      EXPECT_EQ(parts.width, size);
      EXPECT_EQ(parts.height, size);
      const std::vector<uint32_t> mask = Pixels(parts.info.hbmMask, size, size);
      ASSERT_FALSE(mask.empty());
      for (uint32_t pixel : mask) ASSERT_EQ(pixel & 0xFFFFFF, 0xFFFFFFu);
      if (parts.info.hbmColor) {
        const std::vector<uint32_t> colour = Pixels(parts.info.hbmColor, size, size);
        ASSERT_FALSE(colour.empty());
        for (uint32_t pixel : colour) ASSERT_EQ(pixel, 0u);
      }
    }
    DestroyIcon(handle);
  }
}

// BCM_GETIDEALSIZE is answered only by the buttons of common controls 6; without the
// manifest the older button ignores it.
TEST(ProgramFile, ManifestSelectsCommonControlsSix) {
  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_STANDARD_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&classes));
  HWND button = CreateWindowExW(0, L"Button", L"Quillory", WS_POPUP | BS_PUSHBUTTON, 0, 0, 10, 10, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(button, nullptr);
  SIZE ideal = {};
  EXPECT_TRUE(SendMessageW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
  EXPECT_GT(ideal.cx, 0);
  DestroyWindow(button);
}

struct PointerFile {
  const wchar_t* name;
  POINT hotspot;
};
void PrintTo(const PointerFile& file, std::ostream* out) { *out << testing::PrintToString(file.name); }

class PointerFiles : public testing::TestWithParam<PointerFile> {};

TEST_P(PointerFiles, LoadBesideTheProgramAsCursorsWithTheirHotspot) {
  const std::wstring path = ProgramFolderFile(GetParam().name);
  HCURSOR cursor = static_cast<HCURSOR>(LoadImageW(nullptr, path.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
  ASSERT_NE(cursor, nullptr) << "cannot load " << testing::PrintToString(path);
  {
    IconParts parts(cursor);
    ASSERT_TRUE(parts.ok);
    EXPECT_FALSE(parts.info.fIcon);
    EXPECT_EQ(parts.width, 32);
    EXPECT_EQ(parts.height, 32);
    EXPECT_EQ(static_cast<LONG>(parts.info.xHotspot), GetParam().hotspot.x);
    EXPECT_EQ(static_cast<LONG>(parts.info.yHotspot), GetParam().hotspot.y);
  }
  DestroyCursor(cursor);
}

// The drag image points with the middle of its arrow; the hand with its index fingertip.
INSTANTIATE_TEST_SUITE_P(ProgramFolder, PointerFiles,
                         testing::Values(PointerFile{L"drag.ico", {16, 16}}, PointerFile{L"HAND-M.CUR", {12, 1}}));

TEST(ProgramFolder, DragImageAlsoLoadsAsAnIcon) {
  const std::wstring path = ProgramFolderFile(L"drag.ico");
  HICON icon = static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
  ASSERT_NE(icon, nullptr);
  DestroyIcon(icon);
}

}  // namespace

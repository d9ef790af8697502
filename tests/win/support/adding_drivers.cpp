#include "support/adding_drivers.h"

#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "support/form_fixture.h"

namespace quillory::test {
namespace {

std::wstring ItemText(HWND tree, HTREEITEM item) {
  wchar_t buffer[MAX_PATH] = {};
  TVITEMW data{};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = buffer;
  data.cchTextMax = MAX_PATH;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
  return buffer;
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT how) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

std::vector<HTREEITEM> Children(HWND tree, HTREEITEM parent) {
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
  std::vector<HTREEITEM> children;
  for (HTREEITEM child = Next(tree, parent, TVGN_CHILD); child; child = Next(tree, child, TVGN_NEXT)) {
    children.push_back(child);
  }
  return children;
}

// A drive shows as "C:", "C:\\" or "Label (C:)".
bool IsDriveItem(std::wstring text, wchar_t letter) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
  const wchar_t upper = static_cast<wchar_t>(towupper(letter));
  const std::wstring drive{upper, L':'};
  return text.starts_with(drive) || text.find(L"(" + drive + L")") != std::wstring::npos;
}

HTREEITEM FindDrive(HWND tree, wchar_t letter) {
  HTREEITEM root = Next(tree, nullptr, TVGN_ROOT);
  std::vector<HTREEITEM> candidates;
  for (HTREEITEM top = root; top; top = Next(tree, top, TVGN_NEXT)) {
    if (IsDriveItem(ItemText(tree, top), letter)) return top;
    candidates.push_back(top);
  }
  // Below the desktop: "My Computer" (tried first) and the rest.
  for (size_t i = 0; i < candidates.size() && i < 64; ++i) {
    std::vector<HTREEITEM> children = Children(tree, candidates[i]);
    for (HTREEITEM child : children) {
      if (IsDriveItem(ItemText(tree, child), letter)) return child;
    }
    for (HTREEITEM child : children) {
      if (ItemText(tree, child).find(L"Computer") != std::wstring::npos) candidates.insert(candidates.begin() + i + 1, child);
    }
  }
  return nullptr;
}

}  // namespace

HWND FindChildOfClass(HWND dialog, const wchar_t* cls) {
  struct Search {
    const wchar_t* cls;
    HWND found;
  } search{cls, nullptr};
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM param) -> BOOL {
        auto* search = reinterpret_cast<Search*>(param);
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (_wcsicmp(name, search->cls) != 0) return TRUE;
        search->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND OpenDialogNameBox(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, kOpenNameCombo)) {
    if (HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr)) return edit;
    return combo;
  }
  return GetDlgItem(dialog, kOpenNameEdit);
}

void EnterInOpenDialog(HWND dialog, const std::wstring& text) {
  SetWindowTextW(OpenDialogNameBox(dialog), text.c_str());
  SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

std::vector<std::wstring> OpenDialogFilters(HWND dialog) {
  HWND combo = GetDlgItem(dialog, kOpenFilterCombo);
  std::vector<std::wstring> filters;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    filters.push_back(text);
  }
  return filters;
}

bool ChooseInFolderPicker(HWND dialog, const std::wstring& path) {
  HWND tree = FindChildOfClass(dialog, WC_TREEVIEWW);
  if (!tree || path.size() < 2 || path[1] != L':') return false;
  HTREEITEM item = FindDrive(tree, path[0]);
  for (size_t start = 3; item && start < path.size();) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    const std::wstring name = path.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    HTREEITEM found = nullptr;
    for (HTREEITEM child : Children(tree, item)) {
      if (_wcsicmp(ItemText(tree, child).c_str(), name.c_str()) == 0) found = child;
    }
    item = found;
  }
  if (!item) return false;
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  return true;
}

std::string UnixPath(const std::wstring& windowsPath) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (!toUnix) return {};
  char* path = toUnix(windowsPath.c_str());
  if (!path) return {};
  std::string result(path);
  HeapFree(GetProcessHeap(), 0, path);
  return result;
}

std::string WineDosDevices() {
  char prefix[1024] = {};
  if (GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix) == 0) return {};
  return std::string(prefix) + "/dosdevices";
}

bool RunUnixCommand(const std::string& shellCommand, const std::function<bool()>& done) {
  // Wine starts a Unix program when asked to run one; its handle tells nothing useful, so
  // the effect is waited for instead.
  std::wstring commandLine = L"/bin/sh -c \"";
  for (char c : shellCommand) {
    if (c == '"') commandLine += L'\\';
    commandLine += static_cast<wchar_t>(static_cast<unsigned char>(c));
  }
  commandLine += L'"';
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

namespace {

class SimpleData final : public IDataObject {
 public:
  SimpleData(CLIPFORMAT format, HGLOBAL data) : format_(format), data_(data) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    const SIZE_T size = GlobalSize(data_);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(copy), GlobalLock(data_), size);
    GlobalUnlock(data_);
    GlobalUnlock(copy);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format && format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  ~SimpleData() { GlobalFree(data_); }
  std::atomic<ULONG> references_{1};
  CLIPFORMAT format_;
  HGLOBAL data_;
};

}  // namespace

IDataObject* MakeFileDropData(const std::vector<std::wstring>& paths, bool terminated) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  if (paths.empty()) list += L'\0';
  if (terminated) list += L'\0';
  else list.pop_back();  // a broken source: the last name runs to the end of the block
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(data));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(header + 1, list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(data);
  return new SimpleData(CF_HDROP, data);
}

IDataObject* MakeTextData(const std::wstring& text) {
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(data), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(data);
  return new SimpleData(CF_UNICODETEXT, data);
}

}  // namespace quillory::test

#include "filelist/drop_target.h"

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>

#include "filelist/drop_target_probe.h"
#include "platform/utf.h"

namespace quillory {
namespace {

constexpr wchar_t kDropTargetProperty[] = L"Quillory.ListDropTarget";

FORMATETC FileDropFormat() { return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// True when every name of the list ends inside the block, and so does the list: a broken
// source would otherwise have the names read past the end of its memory.
template <typename Char>
bool ListEndsInside(const void* from, const void* end) {
  const Char* at = static_cast<const Char*>(from);
  const Char* last = static_cast<const Char*>(end);
  while (at < last) {
    if (*at == 0) return true;  // the empty name that closes the list
    while (at < last && *at != 0) ++at;
    ++at;
  }
  return false;
}

bool WellFormed(HGLOBAL block, const DROPFILES* header) {
  const SIZE_T size = GlobalSize(block);
  if (size < sizeof(DROPFILES) || header->pFiles < sizeof(DROPFILES) || header->pFiles >= size) return false;
  const char* from = reinterpret_cast<const char*>(header) + header->pFiles;
  const char* end = reinterpret_cast<const char*>(header) + size;
  return header->fWide ? ListEndsInside<wchar_t>(from, end - (end - from) % sizeof(wchar_t))
                       : ListEndsInside<char>(from, end);
}

// Every path of the shell's file-drop list, unchanged and in its order.
std::vector<std::string> DroppedPaths(IDataObject* data) {
  std::vector<std::string> paths;
  FORMATETC format = FileDropFormat();
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return paths;
  HDROP drop = medium.tymed == TYMED_HGLOBAL ? static_cast<HDROP>(GlobalLock(medium.hGlobal)) : nullptr;
  if (drop && WellFormed(medium.hGlobal, reinterpret_cast<const DROPFILES*>(drop))) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    paths.reserve(count);
    std::wstring path;
    for (UINT i = 0; i < count; ++i) {
      path.assign(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
      path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
      if (!path.empty()) paths.push_back(Narrow(path));  // Wine counts an empty list as one empty name
    }
  }
  if (drop) GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  return paths;
}

class ListDropTarget final : public IDropTarget {
 public:
  explicit ListDropTarget(AppendPaths append) : append_(std::move(append)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
      *object = static_cast<IDropTarget*>(this);
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

  // Data without the shell's file list is refused (the no-drop pointer); otherwise the effect
  // the drag proposes stays as it is.
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC format = FileDropFormat();
    offersFiles_ = data && data->QueryGetData(&format) == S_OK;
    return DragOver(0, POINTL{}, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    if (!offersFiles_) *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    offersFiles_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    offersFiles_ = false;
    if (!effect) return E_INVALIDARG;
    FORMATETC format = FileDropFormat();
    if (!data || data->QueryGetData(&format) != S_OK) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    // Only the paths are taken: a move reported back would let the source delete the files.
    *effect &= ~static_cast<DWORD>(DROPEFFECT_MOVE);
    try {
      std::vector<std::string> paths = DroppedPaths(data);
      if (!paths.empty()) append_(std::move(paths));
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

 private:
  ~ListDropTarget() = default;
  std::atomic<ULONG> references_{1};
  AppendPaths append_;
  bool offersFiles_ = false;
};

}  // namespace

IUnknown* RegisterListDropTarget(HWND list, AppendPaths append) {
  auto* target = new (std::nothrow) ListDropTarget(std::move(append));
  if (!target) return nullptr;
  if (FAILED(RegisterDragDrop(list, target))) {
    target->Release();
    return nullptr;
  }
  SetPropW(list, kDropTargetProperty, static_cast<IDropTarget*>(target));
  return target;  // the reference created above, given back at RevokeListDropTarget
}

void RevokeListDropTarget(HWND list, IUnknown* target) {
  if (!target) return;
  RemovePropW(list, kDropTargetProperty);
  RevokeDragDrop(list);
  target->Release();
}

IDropTarget* FindListDropTarget(HWND list) {
  return static_cast<IDropTarget*>(GetPropW(list, kDropTargetProperty));
}

}  // namespace quillory

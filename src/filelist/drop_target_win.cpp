#include "filelist/drop_target_win.h"

#include <ole2.h>
#include <shlobj.h>

#include <optional>
#include <string_view>

#include "common/com_object_win.h"
#include "common/utf_win.h"
#include "filelist/drop_list.h"
#include "common/scoped_handles_win.h"

namespace quillory {
namespace {

constexpr wchar_t kDropTargetProperty[] = L"Quillory.ListDropTarget";

FORMATETC FileDropFormat() { return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// Every path of the shell's file-drop list, unchanged and in its order.
std::vector<std::string> DroppedPaths(IDataObject* data) {
  FORMATETC format = FileDropFormat();
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return {};
  std::optional<std::vector<std::string>> paths;
  {
    const GlobalLockScope block(medium.tymed == TYMED_HGLOBAL ? medium.hGlobal : nullptr);
    if (block.Data()) {
      const std::string_view bytes(static_cast<const char*>(block.Data()), block.Size());
      paths = ParseDropList(bytes, [](std::string_view name) {
        const int size = static_cast<int>(name.size());
        std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, name.data(), size, nullptr, 0)), L'\0');
        MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide.data(), static_cast<int>(wide.size()));
        return Narrow(wide);
      });
    }
  }
  ReleaseStgMedium(&medium);
  return paths ? std::move(*paths) : std::vector<std::string>{};
}

class ListDropTarget final : public ComObject<IDropTarget> {
 public:
  ListDropTarget(AppendPaths append, std::function<bool()> accepting)
      : append_(std::move(append)), accepting_(std::move(accepting)) {}

  // Data without the shell's file list is refused (the no-drop pointer); otherwise the effect
  // the drag proposes stays as it is.
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC format = FileDropFormat();
    offersFiles_ = data && data->QueryGetData(&format) == S_OK;
    return DragOver(0, POINTL{}, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    if (!offersFiles_ || !accepting_()) *effect = DROPEFFECT_NONE;
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
    if (!data || data->QueryGetData(&format) != S_OK || !accepting_()) {
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
  ~ListDropTarget() override = default;
  AppendPaths append_;
  std::function<bool()> accepting_;
  bool offersFiles_ = false;
};

}  // namespace

IDropTarget* RegisterListDropTarget(HWND list, AppendPaths append, std::function<bool()> accepting) {
  auto* target = new (std::nothrow) ListDropTarget(std::move(append), std::move(accepting));
  if (!target) return nullptr;
  if (FAILED(RegisterDragDrop(list, target))) {
    target->Release();
    return nullptr;
  }
  SetPropW(list, kDropTargetProperty, static_cast<IDropTarget*>(target));
  return target;  // the reference created above, given back at RevokeListDropTarget
}

void RevokeListDropTarget(HWND list, IDropTarget* target) {
  if (!target) return;
  RemovePropW(list, kDropTargetProperty);
  RevokeDragDrop(list);
  target->Release();
}

IDropTarget* FindListDropTarget(HWND list) {
  return static_cast<IDropTarget*>(GetPropW(list, kDropTargetProperty));
}

}  // namespace quillory

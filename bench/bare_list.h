// The bare baseline of the list benchmarks: an owner-data report list view of one column over a
// vector of wide strings, in a window of its own the size of Quillory's list, doing only what
// the platform needs to show the texts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace bench {

class BareList {
 public:
  BareList() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuilloryBenchBareList";
    RegisterClassW(&windowClass);
    frame_ = CreateWindowW(L"QuilloryBenchBareList", L"Bare list", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 540, 220,
                           nullptr, nullptr, GetModuleHandleW(nullptr), this);
    list = CreateWindowW(WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL, 8, 8,
                         497, 153, frame_, nullptr, GetModuleHandleW(nullptr), nullptr);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(L"Files");
    column.cx = 400;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  }
  ~BareList() { DestroyWindow(frame_); }
  BareList(const BareList&) = delete;
  BareList& operator=(const BareList&) = delete;

  // The view follows the texts: the count, or the rows between two positions.
  void CountChanged() { SendMessageW(list, LVM_SETITEMCOUNT, texts.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL); }
  void Paint() { RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

  HWND list = nullptr;
  std::vector<std::wstring> texts;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<BareList*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NOTIFY && self && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOW) {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
      if ((item.mask & LVIF_TEXT) && item.iItem < static_cast<int>(self->texts.size()) && item.cchTextMax > 0) {
        const std::wstring& text = self->texts[static_cast<size_t>(item.iItem)];
        const size_t count = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(text.data(), count, item.pszText);
        item.pszText[count] = L'\0';
      }
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  HWND frame_ = nullptr;
};

}  // namespace bench

// Files dragged onto the list: its drop target called as the system's drag loop calls it (parsing: tests/core).
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "common/utf_win.h"
#include "filelist/drop_target_win.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

constexpr DWORD kAnyEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// What a drag source offers: one block of bytes in one format. It lives on the test's stack.
struct Offer final : IDataObject {
  Offer(CLIPFORMAT format, std::string bytes) : format(format), bytes(std::move(bytes)) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = iid == IID_IUnknown || iid == IID_IDataObject ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
    if (QueryGetData(wanted) != S_OK) return DV_E_FORMATETC;
    *medium = STGMEDIUM{TYMED_HGLOBAL, {}, nullptr};
    medium->hGlobal = GlobalAlloc(GMEM_FIXED, bytes.size());  // the caller frees it
    std::memcpy(medium->hGlobal, bytes.data(), bytes.size());
    return S_OK;
  }
  STDMETHODIMP QueryGetData(FORMATETC* wanted) override {
    return wanted->cfFormat == format && (wanted->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
  CLIPFORMAT format;
  std::string bytes;
};

// The shell's wide file-drop list: a header, then each name closed by a NUL, and one more NUL.
Offer FileDrop(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  const DROPFILES header{sizeof(DROPFILES), {}, FALSE, TRUE};
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  bytes.append(reinterpret_cast<const char*>(list.c_str()), (list.size() + 1) * sizeof(wchar_t));
  return Offer(CF_HDROP, bytes);
}

// One drag over the list and a drop, as the system runs it; the effects DragEnter, DragOver and Drop gave.
using Effects = std::array<DWORD, 3>;
Effects DragAndDrop(IDropTarget* target, Offer data, DWORD proposed = kAnyEffect) {
  Effects effects{proposed, proposed, proposed};
  EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, {10, 10}, &effects[0]), S_OK);
  EXPECT_EQ(target->DragOver(MK_LBUTTON, {10, 10}, &effects[1]), S_OK);
  // The system drops nothing the target refused.
  EXPECT_EQ(effects[1] == DROPEFFECT_NONE ? target->DragLeave() : target->Drop(&data, 0, {10, 10}, &effects[2]), S_OK);
  return effects;
}

TEST(ListDrop, FilesAreListedAsDroppedAndNeverMovedOtherDataIsRefusedAndTheTargetLastsAsLongAsTheWindow) {
  auto form = MakeForm();
  ASSERT_TRUE(form);
  HWND list = form->Control(IDC_LISTVIEW1);
  IDropTarget* target = FindListDropTarget(list);
  ASSERT_NE(target, nullptr);
  // A folder, a missing file or any other file is listed as it is, after the entries already there.
  const std::vector<std::wstring> dropped{ApplicationFolder(), L"C:\\gone\\notes.txt", L"C:\\Ünïcode\\日本.doc"};
  form->AppendEntry("C:\\first.doc");
  // The effect proposed is kept, less a move: the source would delete the files.
  const Effects effects = DragAndDrop(target, FileDrop(dropped));
  EXPECT_EQ(effects, (Effects{kAnyEffect, kAnyEffect, DROPEFFECT_COPY | DROPEFFECT_LINK}));
  const Effects text = DragAndDrop(target, Offer(CF_UNICODETEXT, "C:\\looks\\like\\a.doc"));
  EXPECT_EQ(text[0] | text[1], static_cast<DWORD>(DROPEFFECT_NONE));  // text gets the no-drop pointer
  EXPECT_EQ(form->Files().Entries(), (std::vector<std::string>{"C:\\first.doc", Narrow(dropped[0]), Narrow(dropped[1]),
                                                               "C:\\Ünïcode\\日本.doc"}));

  // A click on the list leaves it OLE's target, and closing the window lets the target go.
  RECT item{};
  ListView_GetItemRect(list, 0, &item, LVIR_BOUNDS);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2));
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2));
  EXPECT_EQ(RegisterDragDrop(list, target), DRAGDROP_E_ALREADYREGISTERED);
  target->AddRef();
  DestroyWindow(form->Hwnd());
  EXPECT_EQ(target->Release(), 0u);  // neither OLE nor the list holds it: revoked and let go
}

}  // namespace
}  // namespace quillory::test

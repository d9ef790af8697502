// Files dragged onto the list: the drop target the list registers, called as the system's drag
// loop calls it, with data made here. Reading the drop list itself is tested in tests/core.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "common/utf_win.h"
#include "filelist/drop_target_win.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

using Paths = std::vector<std::string>;
constexpr DWORD kAnyEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// What a drag source offers: one block of bytes in one format. It lives on the test's stack,
// so its references are not counted: the target keeps none past its call.
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

std::string Bytes(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }

// The shell's wide file-drop list: a header, each name closed by a NUL and one more NUL at the
// end; a broken source leaves out the last two.
Offer FileDrop(const std::vector<std::wstring>& paths, bool terminated = true) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  list += L'\0';
  const DROPFILES header{sizeof(DROPFILES), {}, FALSE, TRUE};
  const size_t chars = terminated ? list.size() : list.size() - 2;
  return Offer(CF_HDROP, Bytes(&header, sizeof header) + Bytes(list.data(), chars * sizeof(wchar_t)));
}

// One drag over the list and a drop, as the system runs it; the effects each step gave back.
struct Effects { DWORD enter, over, drop; };
Effects DragAndDrop(IDropTarget* target, Offer data, DWORD proposed = kAnyEffect) {
  Effects effects{proposed, proposed, proposed};
  const POINTL at{10, 10};
  EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, at, &effects.enter), S_OK);
  EXPECT_EQ(target->DragOver(MK_LBUTTON, at, &effects.over), S_OK);
  // The system drops nothing the target refused.
  EXPECT_EQ(effects.over == DROPEFFECT_NONE ? target->DragLeave() : target->Drop(&data, 0, at, &effects.drop), S_OK);
  return effects;
}

TEST(ListDrop, FilesAreListedAsDroppedAndNeverMovedOtherDataIsRefusedAndTheTargetLastsAsLongAsTheWindow) {
  auto form = MakeForm();
  ASSERT_TRUE(form);
  HWND list = form->Control(IDC_LISTVIEW1);
  IDropTarget* target = FindListDropTarget(list);
  ASSERT_NE(target, nullptr);
  TempFolder temp;
  CreateDirectoryW(temp.File(L"Folder").c_str(), nullptr);
  const std::vector<std::wstring> dropped{temp.Write(L"c.doc"), temp.Write(L"a.docx"), temp.File(L"Folder"),
                                          temp.Write(L"notes.txt"), L"C:\\gone\\missing.doc", L"C:\\Ünïcode\\日本.doc"};
  form->AppendEntry("C:\\first.doc");
  const Effects effects = DragAndDrop(target, FileDrop(dropped));
  EXPECT_EQ(effects.enter, kAnyEffect);  // left as the drag proposes it
  EXPECT_EQ(effects.over, kAnyEffect);
  EXPECT_EQ(effects.drop, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_LINK));
  // A move reported back would let the source delete the files: none even when only a move is
  // proposed, and the same file dropped again is listed again.
  EXPECT_EQ(DragAndDrop(target, FileDrop({dropped[0]}), DROPEFFECT_MOVE).drop, static_cast<DWORD>(DROPEFFECT_NONE));

  // Text gets the no-drop pointer; a broken list is not read past its end.
  const wchar_t text[] = L"C:\\looks\\like\\a.doc";
  const Effects refused = DragAndDrop(target, Offer(CF_UNICODETEXT, Bytes(text, sizeof text)));
  EXPECT_EQ(refused.enter, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(refused.over, static_cast<DWORD>(DROPEFFECT_NONE));
  DragAndDrop(target, FileDrop({L"C:\\unterminated.doc"}, false));

  // A click on the list leaves it OLE's target.
  RECT item{};
  ListView_GetItemRect(list, 0, &item, LVIR_BOUNDS);
  const LPARAM at = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  PumpPending();
  EXPECT_EQ(RegisterDragDrop(list, target), DRAGDROP_E_ALREADYREGISTERED);
  DragAndDrop(target, FileDrop({L"C:\\last.doc"}));

  Paths expected{"C:\\first.doc"};
  for (const std::wstring& path : dropped) expected.push_back(Narrow(path));
  expected.push_back(expected[1]);
  expected.push_back("C:\\last.doc");
  EXPECT_EQ(form->Files().Entries(), expected);

  target->AddRef();
  DestroyWindow(form->Hwnd());
  EXPECT_EQ(target->Release(), 0u);  // neither OLE nor the list holds it: revoked and let go
}

}  // namespace
}  // namespace quillory::test

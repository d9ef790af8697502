// Files dragged onto the list: its drop target called as the system's drag loop calls it, with data made here.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "filelist/drop_target_win.h"
#include "common/utf_win.h"
#include "support/form_fixture.h"

namespace quillory::test {
namespace {

using Paths = std::vector<std::string>;
constexpr DWORD kAnyEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// What a drag source offers: one block of bytes in one format. It lives on the test's stack,
// so counting references would tell nothing: the target keeps none past its call.
struct Offer final : IDataObject {
  Offer(CLIPFORMAT format, std::string bytes) : format(format), bytes(std::move(bytes)) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = iid == IID_IUnknown || iid == IID_IDataObject ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    *medium = STGMEDIUM{TYMED_HGLOBAL, {}, nullptr};
    medium->hGlobal = GlobalAlloc(GMEM_FIXED, bytes.size());  // the caller frees it
    std::memcpy(medium->hGlobal, bytes.data(), bytes.size());
    return S_OK;
  }
  STDMETHODIMP QueryGetData(FORMATETC* format) override {
    return format->cfFormat == this->format && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
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

// The shell's file-drop list: a header, then each name closed by a NUL and one more NUL at
// the end (left out, with the last name's own, by a broken source).
Offer FileDrop(const std::vector<std::wstring>& paths, bool terminated = true) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  list += L'\0';
  const size_t chars = terminated ? list.size() : list.size() - 2;
  const DROPFILES header{sizeof(DROPFILES), {}, FALSE, TRUE};
  return Offer(CF_HDROP, Bytes(&header, sizeof header) + Bytes(list.data(), chars * sizeof(wchar_t)));
}

class ListDrop : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm();
    ASSERT_TRUE(form);
    target = FindListDropTarget(form->Control(IDC_LISTVIEW1));
    ASSERT_NE(target, nullptr);
  }

  // One drag over the list and a drop, as the system runs it; the effects each step gave back.
  struct Effects { DWORD enter, over, drop; };
  Effects DragAndDrop(Offer data, DWORD proposed = kAnyEffect) {
    Effects effects{proposed, proposed, proposed};
    const POINTL at{10, 10};
    EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, at, &effects.enter), S_OK);
    EXPECT_EQ(target->DragOver(MK_LBUTTON, at, &effects.over), S_OK);
    // The system drops nothing the target refused.
    EXPECT_EQ(effects.over == DROPEFFECT_NONE ? target->DragLeave() : target->Drop(&data, 0, at, &effects.drop), S_OK);
    return effects;
  }
  const Paths& Entries() const { return form->Files().Entries(); }

  std::unique_ptr<Form1> form;
  IDropTarget* target = nullptr;
  TempFolder temp;
};

TEST_F(ListDrop, EveryDroppedPathIsListedUnchangedInItsOrderAndNeverReportedMoved) {
  CreateDirectoryW(temp.File(L"Folder").c_str(), nullptr);
  const std::vector<std::wstring> dropped{temp.Write(L"c.doc"), temp.Write(L"a.docx"), temp.Write(L"b.doc"),
                                          temp.File(L"Folder"), temp.Write(L"notes.txt"), L"C:\\gone\\missing.doc",
                                          L"C:\\Ünïcode\\日本.doc"};
  form->AppendEntry("C:\\first.doc");
  const Effects effects = DragAndDrop(FileDrop(dropped));
  // A move reported back would let the source delete the files: none even when only a move is
  // proposed, and the same file dropped again is listed again.
  EXPECT_EQ(DragAndDrop(FileDrop({dropped[0]}), DROPEFFECT_MOVE).drop, static_cast<DWORD>(DROPEFFECT_NONE));
  DragAndDrop(FileDrop({}));

  Paths expected{"C:\\first.doc"};
  for (const std::wstring& path : dropped) expected.push_back(Narrow(path));
  expected.push_back(expected[1]);
  EXPECT_EQ(Entries(), expected);
  EXPECT_EQ(effects.enter, kAnyEffect);  // left as the drag proposes it
  EXPECT_EQ(effects.over, kAnyEffect);
  EXPECT_EQ(effects.drop, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_LINK));
}

TEST_F(ListDrop, TextIsRefusedWithTheNoDropEffectAndABrokenFileListIsNotReadPastItsEnd) {
  const wchar_t text[] = L"C:\\looks\\like\\a.doc";
  const Effects effects = DragAndDrop(Offer(CF_UNICODETEXT, Bytes(text, sizeof text)));
  EXPECT_EQ(effects.enter, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(effects.over, static_cast<DWORD>(DROPEFFECT_NONE));
  DragAndDrop(FileDrop({L"C:\\unterminated.doc"}, false));
  EXPECT_TRUE(Entries().empty());
}

TEST_F(ListDrop, TheListStaysATargetAfterAClickAndUntilTheWindowCloses) {
  HWND list = form->Control(IDC_LISTVIEW1);
  form->AppendEntry("C:\\one.doc");
  RECT item{};
  ListView_GetItemRect(list, 0, &item, LVIR_BOUNDS);
  const LPARAM at = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  PumpPending();
  EXPECT_EQ(FindListDropTarget(list), target);
  DragAndDrop(FileDrop({L"C:\\two.doc"}));
  EXPECT_EQ(Entries(), (Paths{"C:\\one.doc", "C:\\two.doc"}));
  DestroyWindow(form->Hwnd());
  EXPECT_EQ(FindListDropTarget(list), nullptr);
}

}  // namespace
}  // namespace quillory::test

// Dropping files from the shell on the list: the shell's file-drop list (CF_HDROP) of 100,000
// and of 1,000,000 paths handed to the list's drop target as the system's drag-and-drop loop
// hands it, timed from the drop to every path listed and painted. Against it, in the same run,
// a bare program's drop: the same list read once into wide strings and shown by a bare
// owner-data list view. And the memory each dropped entry takes beyond its path text.
//   bench_drop [paths...]   (default 100000 1000000)
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bare_list.h"
#include "common/utf_win.h"
#include "figures.h"
#include "filelist/drop_target_win.h"

namespace {

using bench::Clock;
using bench::MsSince;

// What the shell's drag source offers: the file-drop list, a fresh copy at each request (the
// receiver frees it), as the shell's data object gives it.
struct ShellFiles final : IDataObject {
  explicit ShellFiles(std::string block) : block(std::move(block)) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = iid == IID_IUnknown || iid == IID_IDataObject ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
    if (QueryGetData(wanted) != S_OK) return DV_E_FORMATETC;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, block.size());
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(GlobalLock(copy), block.data(), block.size());
    GlobalUnlock(copy);
    *medium = STGMEDIUM{TYMED_HGLOBAL, {}, nullptr};
    medium->hGlobal = copy;
    return S_OK;
  }
  STDMETHODIMP QueryGetData(FORMATETC* wanted) override {
    return wanted->cfFormat == CF_HDROP && (wanted->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
  std::string block;
};

// The shell's wide file-drop list of `count` paths; `textBytes` gets their length in UTF-8.
std::string DropBlock(size_t count, size_t& textBytes) {
  const DROPFILES header{sizeof(DROPFILES), {}, FALSE, TRUE};
  std::wstring names;
  textBytes = 0;
  for (size_t i = 0; i < count; ++i) {
    const std::wstring path =
        L"C:\\Users\\Office\\Documents\\Contracts 2026\\Κατάλογος\\contract-" + std::to_wstring(i) + L".doc";
    textBytes += quillory::Narrow(path).size();
    names += path;
    names += L'\0';
  }
  names += L'\0';
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  block.append(reinterpret_cast<const char*>(names.data()), names.size() * sizeof(wchar_t));
  return block;
}

// The bare program's drop: the list read once, front to back, into wide strings, then shown.
void BareDrop(IDataObject* data, bench::BareList& bare) {
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return;
  const auto* header = static_cast<const DROPFILES*>(GlobalLock(medium.hGlobal));
  for (const wchar_t* name = reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(header) + header->pFiles);
       *name; name += bare.texts.back().size() + 1) {
    bare.texts.emplace_back(name);
  }
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  bare.CountChanged();
  bare.Paint();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<size_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoul(argv[i], nullptr, 10));
  if (sizes.empty()) sizes = {100000, 1000000};
  OleInitialize(nullptr);
  bool allListed = true;
  for (const size_t count : sizes) {
    size_t textBytes = 0;
    ShellFiles files(DropBlock(count, textBytes));

    quillory::Form1Options options;
    options.homePage.draw = [](float) { return 0.5f; };
    auto form = quillory::Form1::Create(GetModuleHandleW(nullptr), std::move(options));
    bench::Pump();
    HWND list = form->Control(quillory::IDC_LISTVIEW1);
    IDropTarget* target = quillory::FindListDropTarget(list);
    const POINTL at{20, 20};
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    target->DragEnter(&files, MK_LBUTTON, at, &effect);
    target->DragOver(MK_LBUTTON, at, &effect);
    const size_t memoryBefore = bench::PrivateBytes();
    auto start = Clock::now();
    target->Drop(&files, 0, at, &effect);
    bench::PaintPending(list);
    const double drop = MsSince(start);
    const double entryBytes =
        (double(bench::PrivateBytes()) - double(memoryBefore) - double(textBytes)) / double(count);
    const bool listed = form->Files().Count() == count && ListView_GetItemCount(list) == static_cast<int>(count);
    allListed = allListed && listed;
    form.reset();

    bench::BareList bare;
    bench::Pump();
    start = Clock::now();
    BareDrop(&files, bare);
    const double bareDrop = MsSince(start);

    std::printf("drop of %7zu paths to all listed and painted: %8.1f ms   bare %8.1f ms   ratio %5.2f%s\n", count,
                drop, bareDrop, drop / bareDrop, listed ? "" : "   NOT ALL LISTED");
    std::printf("   memory beyond the path text: %.0f bytes per entry\n", entryBytes);
  }
  OleUninitialize();
  return allListed ? 0 : 1;
}

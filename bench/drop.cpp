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
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bare_list.h"
#include "common/utf_win.h"
#include "figures.h"
#include "filelist/drop_target_win.h"
#include "support/file_drop.h"

namespace {

using bench::Clock;
using bench::MsSince;

// The shell's file-drop list of `count` paths; `textBytes` gets their length in UTF-8.
quillory::test::DataOffer ShellFiles(size_t count, size_t& textBytes) {
  textBytes = 0;
  return quillory::test::FileDrop(count, [&](size_t i) {
    std::wstring path =
        L"C:\\Users\\Office\\Documents\\Contracts 2026\\Κατάλογος\\contract-" + std::to_wstring(i) + L".doc";
    textBytes += quillory::Narrow(path).size();
    return path;
  });
}

// The bare program's drop: the list read once, front to back, into wide strings, then shown.
void BareDrop(IDataObject* data, bench::BareList& bare) {
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return;
  {
    const quillory::GlobalLockScope locked(medium.hGlobal);
    const auto* header = static_cast<const DROPFILES*>(locked.Data());
    for (const wchar_t* name = reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(header) + header->pFiles);
         *name; name += bare.texts.back().size() + 1) {
      bare.texts.emplace_back(name);
    }
  }
  ReleaseStgMedium(&medium);
  bare.CountChanged();
  bare.Paint();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<size_t> sizes = bench::Sizes(argc, argv, {100000, 1000000});
  OleInitialize(nullptr);
  bool allListed = true;
  for (const size_t count : sizes) {
    size_t textBytes = 0;
    quillory::test::DataOffer files = ShellFiles(count, textBytes);

    quillory::Form1Options options;
    options.homePage.draw = [](float) { return 0.5f; };
    auto form = quillory::Form1::Create(GetModuleHandleW(nullptr), std::move(options));
    quillory::test::PumpPending();
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
    quillory::test::PumpPending();
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

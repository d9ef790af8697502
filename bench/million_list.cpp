// Long lists in the real window, each step as the user takes it, against the same step on a
// bare owner-data list view in the same run: appending them all (as one drop or one folder
// press appends) and painting, the End key to the last entry, dragging the last-but-one entry
// onto the last, and double-clicking the last away; and the memory each entry takes beyond its
// path text (best measured with one list a process). Prints the figures.
//   bench_million_list [entries...]   (default 100000 1000000)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bare_list.h"
#include "common/utf_win.h"
#include "figures.h"

namespace {

using bench::Clock;
using bench::MsSince;

// Posts what the user's hand gives, runs it and paints.
void Gesture(HWND list, std::initializer_list<std::pair<UINT, POINT>> steps) {
  for (const auto& [msg, at] : steps) {
    const WPARAM buttons = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_MOUSEMOVE) ? MK_LBUTTON : 0;
    PostMessageW(list, msg, buttons, MAKELPARAM(at.x, at.y));
  }
  quillory::test::PumpPending();
  bench::PaintPending(list);
}

void Key(HWND list, UINT key) {
  SetFocus(list);
  PostMessageW(list, WM_KEYDOWN, key, 1);
  PostMessageW(list, WM_KEYUP, key, 0xC0000001);
  quillory::test::PumpPending();
  bench::PaintPending(list);
}

// The middle of a row of the list.
POINT RowPoint(HWND list, size_t row) {
  RECT rect{LVIR_BOUNDS, 0, 0, 0};
  SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
  return POINT{rect.left + 20, (rect.top + rect.bottom) / 2};
}

void Figure(const char* what, double quillory, double bare) {
  std::printf("%-58s %8.1f ms   bare %8.1f ms   ratio %5.2f\n", what, quillory, bare, quillory / bare);
}

// One list of `count` entries, its steps and their figures; false if a step did not do its work.
bool LongList(size_t count) {
  quillory::Form1Options options;
  options.homePage.draw = [](float) { return 0.5f; };
  auto form = quillory::Form1::Create(GetModuleHandleW(nullptr), std::move(options));
  quillory::test::PumpPending();
  HWND list = form->Control(quillory::IDC_LISTVIEW1);

  // The texts: full paths, some of them outside ASCII; the bare list's first, made as neither's
  // time and left out of Quillory's memory.
  auto text = [](size_t i) {
    return "C:\\Users\\Office\\Documents\\Contracts 2026\\Κατάλογος\\contract-" + std::to_string(i) + ".doc";
  };
  std::vector<std::wstring> widePaths;
  widePaths.reserve(count);
  for (size_t i = 0; i < count; ++i) widePaths.push_back(quillory::Widen(text(i)));
  const size_t memoryBefore = bench::PrivateBytes();
  std::vector<std::string> paths;
  paths.reserve(count);
  size_t textBytes = 0;
  for (size_t i = 0; i < count; ++i) {
    paths.push_back(text(i));
    textBytes += paths.back().size();
  }

  // Quillory's steps, then the bare list's: the two never take the focus from each other.
  auto start = Clock::now();
  form->AppendEntries(std::move(paths));
  bench::PaintPending(list);
  const double append = MsSince(start);
  const double entryBytes = (double(bench::PrivateBytes()) - double(memoryBefore) - double(textBytes)) / double(count);

  start = Clock::now();
  Key(list, VK_END);
  const double end = MsSince(start);

  // The last-but-one entry dragged onto the last: the two trade places.
  const std::string lastButOne = form->Files().Text(count - 2);
  start = Clock::now();
  Gesture(list, {{WM_LBUTTONDOWN, RowPoint(list, count - 2)}, {WM_MOUSEMOVE, RowPoint(list, count - 1)},
                 {WM_LBUTTONUP, RowPoint(list, count - 1)}});
  const double reorder = MsSince(start);
  const bool reordered = form->Files().Text(count - 1) == lastButOne;

  // The last entry double-clicked away.
  const POINT last = RowPoint(list, count - 1);
  start = Clock::now();
  Gesture(list, {{WM_LBUTTONDOWN, last}, {WM_LBUTTONUP, last}, {WM_LBUTTONDBLCLK, last}, {WM_LBUTTONUP, last}});
  const double removal = MsSince(start);
  const bool removed = form->Files().Count() == count - 1 && ListView_GetItemCount(list) == static_cast<int>(count - 1);

  bench::BareList bare;
  quillory::test::PumpPending();
  start = Clock::now();
  bare.texts = std::move(widePaths);
  bare.CountChanged();
  bare.Paint();
  const double bareAppend = MsSince(start);
  start = Clock::now();
  Key(bare.list, VK_END);
  const double bareEnd = MsSince(start);
  start = Clock::now();
  std::swap(bare.texts[count - 2], bare.texts[count - 1]);
  LVITEMW select{};
  select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(bare.list, LVM_SETITEMSTATE, count - 1, reinterpret_cast<LPARAM>(&select));
  SendMessageW(bare.list, LVM_REDRAWITEMS, count - 2, count - 1);
  bare.Paint();
  const double bareReorder = MsSince(start);
  start = Clock::now();
  bare.texts.pop_back();
  bare.CountChanged();
  bare.Paint();
  const double bareRemoval = MsSince(start);

  std::printf("%zu entries in the list\n", count);
  Figure("append them all (one drop or press) and paint", append, bareAppend);
  Figure("End key: the last entry shown and painted", end, bareEnd);
  Figure(reordered ? "drag the last-but-one onto the last, painted" : "drag at the end: NOT EXCHANGED", reorder,
         bareReorder);
  Figure(removed ? "double-click the last away, painted" : "double-click at the end: NOT REMOVED", removal,
         bareRemoval);
  std::printf("memory beyond the path text: %.0f bytes per entry\n", entryBytes);
  return reordered && removed;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<size_t> sizes = bench::Sizes(argc, argv, {100000, 1000000});
  OleInitialize(nullptr);
  bool done = true;
  for (const size_t count : sizes) done = LongList(count) && done;
  OleUninitialize();
  return done ? 0 : 1;
}

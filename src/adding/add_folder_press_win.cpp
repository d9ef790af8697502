#include "adding/add_folder_press_win.h"

#include <atomic>
#include <optional>
#include <utility>

#include "adding/directory_lister_win.h"
#include "adding/folder_picker_win.h"
#include "adding/input_box_win.h"
#include "common/utf_win.h"
#include "platform/message_box.h"
#include "platform/work_thread.h"

namespace quillory {

void AddAllFilesInFolder(AddingView& view) {
  const std::optional<std::wstring> extension =
      InputBox(view.Hwnd(), kAppTitle, L"Enter file extension to load:", L"doc");
  if (!extension || extension->empty() || view.Closed()) return;

  const std::wstring folder = BrowseForFolder(view.Hwnd(), L"Please select folder to add:");
  if (folder.empty() || view.Closed()) return;

  AddFolderTree(view, folder, *extension);
}

void AddFolderTree(AddingView& view, const std::wstring& folder, const std::wstring& extension) {
  WindowsDirectoryLister lister;
  AddFolderTree(view, folder, extension, lister);
}

void AddFolderTree(AddingView& view, const std::wstring& folder, const std::wstring& extension,
                   DirectoryLister& lister) {
  view.SetMousePointer(PointerShape::kHourglass);
  try {
    const std::string chosen = Narrow(folder), typed = Narrow(extension);
    std::optional<std::vector<std::string>> entries;
    // The walk goes on beside the window, which answers at every moment; the walk stops at
    // its next entry once the window is closed.
    const bool ended = RunWhileAnswering(view.Hwnd(), [&view] { return view.Closed(); },
                                         [&](const std::atomic<bool>& stop) {
                                           entries = GatherFolderEntries(chosen, typed, lister, [&stop] {
                                             return !stop.load(std::memory_order_relaxed);
                                           });
                                         });
    if (view.Closed()) return;  // the window is gone: nothing more happens
    if (ended && entries) view.AppendEntries(std::move(*entries));
  } catch (...) {
    // Out of memory in a huge tree: the press ends with what the list already held.
  }
  if (!view.Closed()) view.SetMousePointer(PointerShape::kDefault);
}

}  // namespace quillory

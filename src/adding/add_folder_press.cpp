#include "adding/add_folder_press.h"

#include "adding/directory_lister_win.h"
#include "adding/folder_picker.h"
#include "adding/folder_walk.h"
#include "adding/input_box.h"
#include "adding/pending_messages.h"
#include "app/main_window.h"
#include "platform/utf.h"

namespace quillory {

void AddAllFilesInFolder(Form1& form) {
  // Other presses arriving while a dialog or the walk lets messages run are ignored.
  Form1::BusyScope busy(form);
  const std::optional<std::wstring> extension =
      InputBox(form.Hwnd(), kAppTitle, L"Enter file extension to load:", L"doc");
  if (!extension || extension->empty() || form.Closed()) return;

  const std::wstring folder = BrowseForFolder(form.Hwnd(), L"Please select folder to add:");
  if (folder.empty() || form.Closed()) return;

  AddFolderTree(form, folder, *extension);
}

void AddFolderTree(Form1& form, const std::wstring& folder, const std::wstring& extension) {
  Form1::BusyScope busy(form);
  form.SetMousePointer(kPointerHourglass);
  try {
    WindowsDirectoryLister lister;
    PendingMessages pendingMessages(form);
    std::optional<std::vector<std::string>> entries =
        GatherFolderEntries(Narrow(folder), Narrow(extension), lister, [&] { return pendingMessages(); });
    if (form.Closed()) return;  // the window is gone: nothing more happens
    if (entries) form.AppendEntries(std::move(*entries));
  } catch (...) {
    // Out of memory in a huge tree: the press ends with what the list already held.
  }
  if (!form.Closed()) form.SetMousePointer(kPointerDefault);
}

}  // namespace quillory

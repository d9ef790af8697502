// ListView1: the file list shown as an owner-data report view. It holds the list and carries
// out the reorder gesture and removal by double-click, and the same moves and removal by keys
// and by its menu; it has a pointer of its own while an entry is dragged, a tooltip, and takes
// files dropped from the shell.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "filelist/file_list.h"
#include "filelist/list_moves.h"
#include "filelist/reorder_gesture.h"
#include "common/scoped_handles_win.h"

namespace quillory {

// What the list needs of the window around it.
class ListViewHost {
 public:
  virtual ~ListViewHost() = default;
  // True while the list must stay as it is (a run reads it): no reorder, removal or drop.
  virtual bool ListLocked() const = 0;
};

// Whether an entry is being dragged: none until an entry is clicked, then dragging (the list's
// drag image) until a button is released over the list, then released (the arrow).
enum class ListDragState { kNone, kDragging, kReleased };

// The window's pointer, which the list tells of its drag and of the pointer over it.
class ListPointer {
 public:
  virtual ~ListPointer() = default;
  // `image` is the list's own (null: the arrow) and lasts until the next call.
  virtual void ListDrag(ListDragState state, HCURSOR image) = 0;
  // The pointer moved over the list: the window's own shape goes back to its default.
  virtual void MovedOverList() = 0;
  // The system asks for the pointer over the list; true when it was set.
  virtual bool OnSetCursor(HWND over, int hitTest) = 0;
};

class FileListView {
 public:
  // `appFolder`: where the optional "drag.ico" is looked for.
  FileListView(ListViewHost& host, ListPointer& pointer, std::wstring appFolder);
  FileListView(const FileListView&) = delete;
  FileListView& operator=(const FileListView&) = delete;

  // Takes over the created control: its extended styles and messages.
  void Attach(HWND list);
  // The tooltip and the drop target, which the first paint does not need.
  void AttachTooltipAndDropTarget(unsigned dpi);
  // Tells assistive technology the list's name, "Word Doc File(s)" (COM is there by then).
  void AnnounceName();
  // Gives up the drop target while the window still exists.
  void Detach();
  HWND Hwnd() const { return list_; }

  // The one column, "Word Doc File(s)" (start-up), and its width at a new DPI.
  void InsertColumn(unsigned dpi);
  void ApplyDpi(unsigned dpi);
  // The window's WM_NOTIFY from the list: the texts the view asks for.
  LRESULT OnNotify(const NMHDR* header);

  // The file list. Appending goes through these so the view follows.
  const FileList& Files() const { return files_; }
  void AppendEntries(std::vector<std::string> utf8Paths);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR refData);
  LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam);
  void ListView1_ItemClick();
  void ListView1_MouseDown();
  void ListView1_MouseUp();
  void ListView1_MouseMove(int x, int y);
  void ListView1_DblClick();
  void ListView1_ContextMenu(LPARAM at);
  // What the double-click, the keys and the menu share: the selected entry removed (its
  // position, if there was one) or moved.
  std::optional<size_t> RemoveSelected();
  void RemoveSelectedKeepingPlace();  // the entry that takes its place is selected next
  void MoveSelected(ListMove move);
  void ShowSelected(size_t position);
  void RedrawEntries(size_t first, size_t last);
  void RefreshCount();
  std::optional<size_t> HitTest(int x, int y) const;
  std::optional<size_t> Selected() const;
  void SelectOnly(std::optional<size_t> position);

  ListViewHost& host_;
  ListPointer& pointer_;
  std::wstring appFolder_;
  HWND list_ = nullptr;
  HWND tooltip_ = nullptr;
  IDropTarget* dropTarget_ = nullptr;
  FileList files_;
  ReorderGesture reorder_;
  std::optional<size_t> rightPressedOn_;  // the entry a right-button press began on, until it moves any
  bool answerName_ = false;        // the system could not annotate the name: the list answers it
  std::wstring textBuffer_;  // owner-data text handed to the view
  ScopedCursor dragPointer_;  // "drag.ico", read afresh at each click
  std::string dragPointerBytes_;  // the file the image was made from
};

}  // namespace quillory

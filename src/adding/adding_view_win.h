// What the presses that add documents need of the window: an owner for their dialogs, the
// list to append to, the start and end of long work, and whether the user has closed the window meanwhile.
#pragma once

#include <windows.h>

#include <string>
#include <vector>


namespace quillory {

class AddingView {
 public:
  virtual ~AddingView() = default;
  // The window the dialogs are modal to.
  virtual HWND Hwnd() const = 0;
  // One append of every path, at the end, in order.
  virtual void AppendEntries(std::vector<std::string> utf8Paths) = 0;
  // The walk of a folder tree has begun, and has ended (the window's hourglass).
  virtual void LongWorkBegins() = 0;
  virtual void LongWorkEnds() = 0;
  // True once the user closed the window: the press stops at once and adds nothing more.
  virtual bool Closed() const = 0;
};

}  // namespace quillory

// The window as designed: every control with its class, text and place in twips, in tab
// order; an action button's row also names its picture and its click handler.
#pragma once

#include <windows.h>

#include <span>

namespace quillory {

// Control identifiers; tab order is creation order.
enum ControlId : int {
  IDC_COMMAND1 = 100,
  IDC_CHECK1 = 101,
  IDC_CHECK2 = 102,
  IDC_LISTVIEW1 = 103,
  IDC_CHECK4 = 104,
  IDC_PROGRESSBAR1 = 105,
  IDC_OPTION2 = 106,
  IDC_OPTION1 = 107,
};

// The action buttons' click handlers, run once a press has been taken; the window has them.
class ActionButtonHandlers {
 public:
  virtual void Check1_Click() = 0;  // "Add Word Doc File(s)"
  virtual void Check2_Click() = 0;  // "Save As Dot"
  virtual void Check4_Click() = 0;  // " Add All Word Doc Files In Folder"

 protected:
  ~ActionButtonHandlers() = default;
};

enum class ControlFont { kSystem, kActionButton, kOption, kList };

struct ControlDesign {
  ControlId id;
  const wchar_t* windowClass;
  const wchar_t* text;
  int left, top, width, height;  // twips, in the window's client area
  DWORD style;
  DWORD exStyle;
  ControlFont font;
  // An action button: its picture's resource id and its click handler, which runs once the
  // press has been taken (the value 1 set back to 0).
  int icon = 0;
  void (ActionButtonHandlers::*onClick)() = nullptr;
};

inline constexpr int kClientWidthTwips = 7695;
inline constexpr int kClientHeightTwips = 4710;
inline constexpr DWORD kForm1Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
inline constexpr DWORD kForm1ExStyle = WS_EX_CONTROLPARENT;

std::span<const ControlDesign> Form1Design();

// How many rows of the design are action buttons (have a click handler).
size_t ActionButtonCount();

// The control's rectangle in client pixels at the DPI: edges are converted, so neighbours
// stay exactly as far apart as designed.
RECT DesignRectPixels(const ControlDesign& design, unsigned dpi);

}  // namespace quillory

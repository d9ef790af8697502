// The window as designed: every control with its class, text and place in twips, in tab order.
#pragma once

#include <windows.h>

#include <span>

#include "app/main_window.h"

namespace quillory {

struct ControlDesign {
  ControlId id;
  const wchar_t* windowClass;
  const wchar_t* text;
  int left, top, width, height;  // twips, in the window's client area
  DWORD style;
  DWORD exStyle;
};

inline constexpr int kClientWidthTwips = 7695;
inline constexpr int kClientHeightTwips = 4710;
inline constexpr int kListColumnTwips = 6000;
inline constexpr DWORD kForm1Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
inline constexpr DWORD kForm1ExStyle = WS_EX_CONTROLPARENT;

std::span<const ControlDesign> Form1Design();

// The control's rectangle in client pixels at the DPI: edges are converted, so neighbours
// stay exactly as far apart as designed.
RECT DesignRectPixels(const ControlDesign& design, unsigned dpi);

}  // namespace quillory

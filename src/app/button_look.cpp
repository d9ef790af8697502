#include "app/button_look.h"

#include <algorithm>
#include <string>

namespace quillory {

void PaintActionButton(HWND button, HDC dc, HICON icon, int iconSize) {
  RECT rect;
  GetClientRect(button, &rect);
  const LRESULT state = SendMessageW(button, BM_GETSTATE, 0, 0);
  const bool sunken = (state & BST_PUSHED) || (state & BST_CHECKED);
  const bool focused = (state & BST_FOCUS) != 0;

  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT edge = rect;
  DrawEdge(dc, &edge, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);

  const int shift = sunken ? 1 : 0;
  const int margin = GetSystemMetrics(SM_CXEDGE) * 2;
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(button)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(button, text.data(), static_cast<int>(text.size()))));
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;

  // The picture and the caption below it sit together in the middle of the face.
  const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  RECT textRect{edge.left + margin, 0, edge.right - margin, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, format | DT_CALCRECT);
  const int textHeight = textRect.bottom - textRect.top;
  const int gap = icon ? margin : 0;
  const int blockHeight = (icon ? iconSize : 0) + gap + textHeight;
  int y = edge.top + std::max(0, static_cast<int>((edge.bottom - edge.top - blockHeight) / 2)) + shift;
  if (icon) {
    const int x = (rect.left + rect.right - iconSize) / 2 + shift;
    DrawIconEx(dc, x, y, icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
    y += iconSize + gap;
  }

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(button) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  textRect = RECT{edge.left + margin + shift, y, edge.right - margin + shift, edge.bottom};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, format);
  if (oldFont) SelectObject(dc, oldFont);

  if (focused && !(SendMessageW(button, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
    RECT focus = edge;
    InflateRect(&focus, -margin, -margin);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace quillory

#include "app/action_button.h"

#include <commctrl.h>

#include <oleacc.h>

#include <algorithm>
#include <string>

#include "platform/accessible_object.h"

namespace quillory {
namespace {

constexpr UINT_PTR kSubclassId = 1;

// The control's own answers, asked past the subclass: a message sent to a subclassed window
// makes the chain look itself up again, three server calls each under Wine.
LRESULT Ask(HWND button, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  return DefSubclassProc(button, msg, wParam, lParam);
}

std::wstring FaceText(HWND button) {
  std::wstring text(static_cast<size_t>(Ask(button, WM_GETTEXTLENGTH)) + 1, L'\0');
  text.resize(static_cast<size_t>(Ask(button, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

// A screen reader hears the caption as a person reads it, without the blank some begin with.
AccessibleOverrides AsPushButton(HWND button) {
  std::wstring caption = FaceText(button);
  caption.erase(0, caption.find_first_not_of(L' '));
  caption.erase(caption.find_last_not_of(L' ') + 1);
  return {caption, ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_CHECKED | STATE_SYSTEM_MIXED, L"Press", BM_CLICK};
}

// Called from the subclass procedure only (DefSubclassProc needs it).
void Paint(HWND button, HDC dc, const ActionButtonFace& face) {
  const HICON icon = face.icon.Get();
  const int iconSize = face.iconSize;
  RECT rect;
  GetClientRect(button, &rect);
  const LRESULT state = Ask(button, BM_GETSTATE);
  const bool sunken = (state & BST_PUSHED) || (state & BST_CHECKED);
  const bool focused = (state & BST_FOCUS) != 0;

  SetDCBrushColor(dc, face.faceColour);
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  RECT edge = rect;
  DrawEdge(dc, &edge, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);

  const int shift = sunken ? 1 : 0;
  const int margin = GetSystemMetrics(SM_CXEDGE) * 2;
  const std::wstring text = FaceText(button);
  HFONT font = reinterpret_cast<HFONT>(Ask(button, WM_GETFONT));
  const ScopedSelection selectedFont(dc, font);

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
  SetTextColor(dc, IsWindowEnabled(button) ? face.textColour : GetSysColor(COLOR_GRAYTEXT));
  textRect = RECT{edge.left + margin + shift, y, edge.right - margin + shift, edge.bottom};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, format);

  if (focused && !(Ask(button, WM_QUERYUISTATE) & UISF_HIDEFOCUS)) {
    RECT focus = edge;
    InflateRect(&focus, -margin, -margin);
    DrawFocusRect(dc, &focus);
  }
}

LRESULT CALLBACK SubclassProc(HWND button, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
  const ActionButtonFace* face = reinterpret_cast<const ActionButtonFace*>(refData);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(button, &paint);
      Paint(button, dc, *face);
      EndPaint(button, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return TRUE;
    case WM_NCDESTROY:
      RemoveWindowSubclass(button, SubclassProc, kSubclassId);
      break;
    case WM_GETOBJECT:
      if (const LRESULT answer = AnswerAccessibleObject(button, wParam, lParam, AsPushButton(button))) return answer;
      break;
    case WM_MOUSEMOVE: {
      if (face->onMouseMove) face->onMouseMove();
      // Pressed and moved off or back on: the state changes without a click.
      const LRESULT before = DefSubclassProc(button, BM_GETSTATE, 0, 0);
      const LRESULT result = DefSubclassProc(button, msg, wParam, lParam);
      if (DefSubclassProc(button, BM_GETSTATE, 0, 0) != before) {
        RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      }
      return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_CAPTURECHANGED:
    case WM_ENABLE:
    case WM_UPDATEUISTATE:
    case WM_SETTEXT:
    case BM_SETSTATE:
    case BM_SETCHECK: {
      // The control paints its own face directly on these; paint ours over it.
      const LRESULT result = DefSubclassProc(button, msg, wParam, lParam);
      if (IsWindow(button)) RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      return result;
    }
    default:
      break;
  }
  return DefSubclassProc(button, msg, wParam, lParam);
}

}  // namespace

void AttachActionButton(HWND button, ActionButtonFace* face) {
  SetWindowSubclass(button, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(face));
}

}  // namespace quillory

// What a control tells assistive technology where the system's own proxy says something else
// (or nothing): the proxy stays in charge and only the named properties are answered otherwise.
#pragma once

#include <windows.h>

#include <string>

namespace quillory {

struct AccessibleOverrides {
  std::wstring name;         // empty: the proxy's
  long role = 0;             // 0: the proxy's
  long stateRemoved = 0;     // state bits the proxy reports that do not hold
  std::wstring defaultAction;  // empty: the proxy's
  UINT defaultActionMessage = 0;  // posted to the control to carry the default action out
};

// The answer to WM_GETOBJECT: for the control's client object, the system's proxy with the
// overrides; 0 for any other object (the caller then passes the message on).
LRESULT AnswerAccessibleObject(HWND control, WPARAM wParam, LPARAM lParam, const AccessibleOverrides& overrides);

// Names the control's client object the system's way, leaving everything else (its rows, its
// states) to the system's proxy; false where the system cannot annotate.
bool AnnotateAccessibleName(HWND control, const std::wstring& name);

}  // namespace quillory

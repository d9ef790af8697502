#include "adding/input_box_win.h"

#include <vector>

#include "platform/window_text.h"

namespace quillory {
namespace {

// An in-memory dialog template: header, font, then the items, each DWORD-aligned.
class DialogTemplate {
 public:
  DialogTemplate(const std::wstring& title, short width, short height, int items) {
    Dword(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    Dword(0);
    Word(static_cast<WORD>(items));
    Word(0), Word(0), Word(static_cast<WORD>(width)), Word(static_cast<WORD>(height));
    Word(0);  // no menu
    Word(0);  // the dialog class
    Text(title);
    Word(8);  // point size, then the typeface
    Text(L"MS Shell Dlg");
  }

  void Item(WORD classAtom, const std::wstring& text, DWORD style, short x, short y, short cx, short cy, WORD id) {
    Align();
    Dword(WS_CHILD | WS_VISIBLE | style);
    Dword(0);
    Word(static_cast<WORD>(x)), Word(static_cast<WORD>(y)), Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF), Word(classAtom);
    Text(text);
    Word(0);  // no creation data
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) { Word(LOWORD(value)), Word(HIWORD(value)); }
  void Text(const std::wstring& text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Align() {
    if (words_.size() % 2) Word(0);
  }
  std::vector<WORD> words_;
};

struct InputState {
  const std::wstring* defaultAnswer;
  std::wstring answer;
};

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      const auto* state = reinterpret_cast<InputState*>(lParam);
      HWND answer = GetDlgItem(dialog, kInputBoxAnswerId);
      SetWindowTextW(answer, state->defaultAnswer->c_str());
      SendMessageW(answer, EM_SETSEL, 0, -1);
      SetFocus(answer);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrW(dialog, DWLP_USER));
          HWND answer = GetDlgItem(dialog, kInputBoxAnswerId);
          state->answer = WindowText(answer);
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

std::optional<std::wstring> InputBox(HWND owner, const std::wstring& title, const std::wstring& prompt,
                                     const std::wstring& defaultAnswer) {
  // The classic input box: prompt top left, OK and Cancel on the right, the answer below.
  DialogTemplate dialog(title, 252, 86, 4);
  dialog.Item(0x0082, prompt, SS_LEFT | SS_NOPREFIX, 7, 7, 180, 48, kInputBoxPromptId);
  dialog.Item(0x0080, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 195, 7, 50, 14, IDOK);
  dialog.Item(0x0080, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 195, 25, 50, 14, IDCANCEL);
  dialog.Item(0x0081, L"", ES_AUTOHSCROLL | ES_LEFT | WS_BORDER | WS_TABSTOP, 7, 64, 238, 13, kInputBoxAnswerId);

  InputState state{&defaultAnswer, {}};
  const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, InputBoxProc,
                                                 reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return std::nullopt;
  return state.answer;
}

}  // namespace quillory

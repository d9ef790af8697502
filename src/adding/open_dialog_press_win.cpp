#include "adding/open_dialog_press_win.h"

#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

#include <algorithm>

#include "adding/open_dialog_result.h"
#include "common/utf_win.h"
#include "platform/message_box.h"

namespace quillory {
namespace {

constexpr wchar_t kTitle[] = L"Add File(s) - Hold Ctrl to select multiple files";
constexpr wchar_t kFilter[] = L"Word Documents (*.doc*)\0*.doc*\0All Files (*.*)\0*.*\0";
constexpr char kTooMany[] =
    "The chosen files are too many to add at once. Nothing was added: please choose fewer files.";

// The dialog's answer: the text before the first pair of NULs.
std::wstring_view Answer(const std::wstring& buffer) {
  const size_t end = buffer.find(std::wstring_view(L"\0\0", 2));
  return std::wstring_view(buffer).substr(0, end);
}

OpenDialogOutcome ShowRealOpenDialog(OPENFILENAMEW& dialog) {
  if (GetOpenFileNameW(&dialog)) return OpenDialogOutcome::Chosen;
  return CommDlgExtendedError() == FNERR_BUFFERTOOSMALL ? OpenDialogOutcome::AnswerTooLong
                                                        : OpenDialogOutcome::Cancelled;
}

}  // namespace

void AddFilesThroughOpenDialog(AddingView& view, OpenDialogRoom room) {
  const ShowOpenDialog show = room.show ? room.show : ShowRealOpenDialog;
  size_t chars = std::max<size_t>(room.initial, 2);
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::wstring buffer(chars, L'\0');  // the file-name box opens empty
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = view.Hwnd();
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(std::min<size_t>(buffer.size(), MAXDWORD));
    dialog.lpstrTitle = kTitle;
    dialog.Flags = OFN_READONLY | OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_LONGNAMES;

    const OpenDialogOutcome outcome = show(dialog);
    if (view.Closed() || outcome == OpenDialogOutcome::Cancelled) return;
    if (outcome == OpenDialogOutcome::Chosen) {
      std::vector<std::string> paths = ChosenPaths(Narrow(Answer(buffer)));
      if (!paths.empty()) view.AppendEntries(std::move(paths));
      return;
    }
    // The dialog leaves the room it needed in the first two bytes (cut to 16 bits).
    const size_t needed = static_cast<size_t>(*reinterpret_cast<const WORD*>(buffer.data())) + 2;
    const size_t grown = std::min(std::max(chars * 2, needed), room.largest);
    if (grown <= chars) break;
    chars = grown;
  }
  ShowMessage(view.Hwnd(), kTooMany);
}

}  // namespace quillory

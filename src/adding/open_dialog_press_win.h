// The "Add Word Doc File(s)" press after the button convention: the Open dialog and the
// appending of what was chosen.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <functional>

#include "adding/adding_view_win.h"

namespace quillory {

enum class OpenDialogOutcome { Chosen, Cancelled, AnswerTooLong };
// Shows the Open dialog as set up; the real one unless a test gives another.
using ShowOpenDialog = std::function<OpenDialogOutcome(OPENFILENAMEW& dialog)>;

// Room for the dialog's answer, in characters: the start is enough for thousands of names;
// an answer that does not fit opens the dialog once more with room for it, up to `largest`.
struct OpenDialogRoom {
  size_t initial = size_t{1} << 20;
  size_t largest = size_t{1} << 24;
  ShowOpenDialog show;
};

void AddFilesThroughOpenDialog(AddingView& view, OpenDialogRoom room = {});
}  // namespace quillory

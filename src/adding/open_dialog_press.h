// The "Add Word Doc File(s)" press after the button convention: the Open dialog and the
// appending of what was chosen.
#pragma once

namespace quillory {
class Form1;
void AddFilesThroughOpenDialog(Form1& form);
}  // namespace quillory

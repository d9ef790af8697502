// The "Save As Dot" press after the button convention: the conversion run over the list.
#pragma once

namespace quillory {
class Form1;
void RunConversion(Form1& form);
}  // namespace quillory

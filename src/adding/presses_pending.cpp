// Placeholder until the adding presses land.
#include "adding/add_folder_press.h"
#include "adding/open_dialog_press.h"

namespace quillory {
void AddFilesThroughOpenDialog(Form1&) {}
void AddAllFilesInFolder(Form1&) {}
}  // namespace quillory

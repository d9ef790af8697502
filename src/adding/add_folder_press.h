// The " Add All Word Doc Files In Folder" press after the button convention: extension,
// folder, walk, append.
#pragma once

namespace quillory {
class Form1;
void AddAllFilesInFolder(Form1& form);
}  // namespace quillory

// Which share of a run's documents a document belongs to, so that the same command on several
// machines, each given its own share, converts every document once. The share follows from the
// document's name below its path argument alone: the drive letter or server a machine sees
// the tree under does not move it, nor do documents added beside it. Portable.
#pragma once

#include <string_view>

namespace quillory {

// 1 to `shares`, from the name below the path argument in the file system's upper case
// ("A\B.DOC"); "/" counts as "\". The hash (64-bit FNV-1a of the UTF-8) never changes.
unsigned ShareOf(std::string_view upperRelativeName, unsigned shares);

}  // namespace quillory

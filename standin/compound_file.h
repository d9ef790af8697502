// Just enough of the OLE compound file format to find the start of a stream (a binary Word
// document keeps its file information block, the FIB, at the start of "WordDocument") and
// to list the streams (a password-protected Open XML package is a compound file too).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// The file offset of the first byte of the named stream, which must hold at least
// minimumBytes contiguous bytes there. False with a reason when the file is not a
// compound file or the stream is missing or damaged.
bool FindStreamStart(std::string_view file, std::u16string_view streamName, size_t minimumBytes,
                     size_t* offset, std::string* error);

// The names of every stream in the file, in directory order. False with a reason when the
// file is not a compound file or its directory is damaged.
bool ListStreams(std::string_view file, std::vector<std::u16string>* names, std::string* error);

// Whether the file's directory holds a storage of this name, at any depth; false for a file
// that is no compound file or whose directory is damaged.
bool HasStorage(std::string_view file, std::u16string_view name);

}  // namespace standin

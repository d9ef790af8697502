// Files a test makes: a folder of its own, removed with its contents at the end, and reading
// back what a program wrote.
#pragma once

#include <string>

#include "platform/files.h"

namespace quillory::test {

// A fresh folder under the temporary folder, removed with its contents at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& relative) const { return path_ + L"\\" + relative; }
  // Makes the file, and its folders.
  std::wstring Write(const std::wstring& relative, const std::string& bytes = "x") const;

 private:
  std::wstring path_;
};

// The whole content of a file; empty when it cannot be read.
inline std::string FileBytes(const std::wstring& path) { return ReadSmallFile(path, size_t{1} << 30).value_or(""); }

}  // namespace quillory::test

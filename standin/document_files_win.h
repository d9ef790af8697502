// The stand-in's file work: reading a document as the word processor opens one, writing a
// template in place, and the path pieces the object model needs.
#pragma once

#include <windows.h>

#include <string>

namespace standin {

enum class ReadOutcome { kRead, kInUse, kFailed };

// Reads the whole file. For editing it is opened denying writers, so a file another process
// holds open for writing is kInUse; read-only it is read sharing with such a writer.
// kFailed with the system's reason in *error.
ReadOutcome ReadDocumentFile(const std::wstring& path, bool readOnly, std::string* bytes, std::wstring* error);

// Written beside the target first, then moved over it, so a failed write leaves the old file.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes, std::wstring* error);

// Removes a folder and everything in it, as far as it can; links are removed, never followed.
void RemoveFolderTree(const std::wstring& folder);
// Copies a folder and everything in it to `to`, which must not exist; links are left out.
bool CopyFolderTree(const std::wstring& from, const std::wstring& to);

bool PathExists(const std::wstring& path);
std::wstring FullPath(const std::wstring& path);
// The extension in lower case with its dot ("" when there is none); non-ASCII letters as ?.
std::string LowerExtension(const std::wstring& path);

}  // namespace standin

// Driving the adding dialogs from a watcher thread, and the Wine-side file-system helpers
// the adding tests need (links, a drive letter, a network share).
#pragma once

#include <windows.h>
#include <oleidl.h>

#include <functional>
#include <string>
#include <vector>

namespace quillory::test {

// Control identifiers of the Explorer-style Open dialog.
inline constexpr int kOpenNameCombo = 1148;  // cmb13, the file-name box
inline constexpr int kOpenNameEdit = 1152;   // edt1, in older layouts
inline constexpr int kOpenFilterCombo = 1136;  // cmb1
inline constexpr int kOpenLookInCombo = 1137;  // cmb2
inline constexpr int kOpenReadOnlyBox = 1040;  // chx1

// The file-name box of an Open dialog (the edit inside the combo when there is one).
HWND OpenDialogNameBox(HWND dialog);
// Types into the file-name box and presses Open: a folder path goes there, names are chosen.
void EnterInOpenDialog(HWND dialog, const std::wstring& text);
// The entries of the Open dialog's file-type box.
std::vector<std::wstring> OpenDialogFilters(HWND dialog);

// Walks the folder picker's tree down to `path` (a drive root "Q:\" or a folder), selects it
// and presses OK. False when the path cannot be found in the tree.
bool ChooseInFolderPicker(HWND dialog, const std::wstring& path);

// The text of the first child window of `dialog` of class `cls` (case-insensitive).
HWND FindChildOfClass(HWND dialog, const wchar_t* cls);

// Under Wine: the Unix path of a Windows path, and running a Unix command (through
// /bin/sh -c) then waiting until `done` holds.
std::string UnixPath(const std::wstring& windowsPath);
bool RunUnixCommand(const std::string& shellCommand, const std::function<bool()>& done);
// The Wine prefix's folder of drive letters and network shares (dosdevices), as a Unix path.
std::string WineDosDevices();

// A data object as the shell's drag source offers it: a file-drop list (CF_HDROP) of the
// given paths (without its closing NUL when `terminated` is false), or plain text only. The
// caller owns the one reference.
IDataObject* MakeFileDropData(const std::vector<std::wstring>& paths, bool terminated = true);
IDataObject* MakeTextData(const std::wstring& text);

}  // namespace quillory::test

#include "registration.h"

#include <objbase.h>

namespace standin {
namespace {

constexpr wchar_t kClasses[] = L"Software\\Classes\\";

std::wstring ClsidText() {
  wchar_t text[64];
  StringFromGUID2(kStandinClsid, text, 64);
  return text;
}

// The class the ProgID names in the merged view (HKCR), or empty when it names none. An
// existing ProgID without a CLSID still belongs to somebody.
bool ProgIdOwner(std::wstring* clsid) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kProgId, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  wchar_t value[128] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  const std::wstring sub = std::wstring(kProgId) + L"\\CLSID";
  if (RegGetValueW(HKEY_CLASSES_ROOT, sub.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS) {
    *clsid = value;
  } else {
    *clsid = L"(no CLSID)";
  }
  return true;
}

bool SetDefault(const std::wstring& path, const std::wstring& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LSTATUS status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

}  // namespace

int RegisterServer(std::wstring* message) {
  const std::wstring ours = ClsidText();
  std::wstring owner;
  if (ProgIdOwner(&owner) && CompareStringOrdinal(owner.c_str(), -1, ours.c_str(), -1, TRUE) != CSTR_EQUAL) {
    *message = std::wstring(L"QuilloryStandin: not registered: \"") + kProgId + L"\" already belongs to " + owner +
               L" on this machine; the stand-in never replaces another server.";
    return 2;
  }
  wchar_t module[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    *message = L"QuilloryStandin: not registered: the program path is too long.";
    return 1;
  }
  const std::wstring classKey = std::wstring(kClasses) + L"CLSID\\" + ours;
  const std::wstring progKey = std::wstring(kClasses) + kProgId;
  const bool ok = SetDefault(classKey, L"Quillory stand-in for Word.Application") &&
                  SetDefault(classKey + L"\\LocalServer32", L"\"" + std::wstring(module) + L"\"") &&
                  SetDefault(classKey + L"\\ProgID", kProgId) &&
                  SetDefault(progKey, L"Quillory stand-in for Word.Application") &&
                  SetDefault(progKey + L"\\CLSID", ours);
  if (!ok) {
    *message = L"QuilloryStandin: not registered: the registry could not be written (administrator rights?).";
    return 1;
  }
  *message = L"QuilloryStandin: registered as \"Word.Application\" " + ours + L": " + module;
  return 0;
}

int UnregisterServer(std::wstring* message) {
  const std::wstring ours = ClsidText();
  std::wstring owner;
  if (ProgIdOwner(&owner) && CompareStringOrdinal(owner.c_str(), -1, ours.c_str(), -1, TRUE) == CSTR_EQUAL) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kClasses) + kProgId).c_str());
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kClasses) + L"CLSID\\" + ours).c_str());
  *message = L"QuilloryStandin: unregistered.";
  return 0;
}

}  // namespace standin

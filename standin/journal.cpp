#include "journal.h"

#include <oleauto.h>

#include <vector>

#include "common/utf_win.h"

namespace standin {
namespace {

const wchar_t* TypeName(VARTYPE type) {
  switch (type) {
    case VT_I1: return L"I1";
    case VT_I2: return L"I2";
    case VT_I8: return L"I8";
    case VT_UI1: return L"UI1";
    case VT_UI2: return L"UI2";
    case VT_UI4: return L"UI4";
    case VT_INT: return L"INT";
    case VT_UINT: return L"UINT";
    case VT_R4: return L"R4";
    case VT_R8: return L"R8";
    case VT_CY: return L"CY";
    case VT_DATE: return L"DATE";
    case VT_DECIMAL: return L"DECIMAL";
    default: return nullptr;
  }
}

}  // namespace

void Journal(std::wstring_view text) {
  wchar_t path[MAX_PATH * 2];
  const DWORD length = GetEnvironmentVariableW(kJournalVariable, path, static_cast<DWORD>(std::size(path)));
  if (length == 0 || length >= std::size(path)) return;
  // Wine appends at the end it finds when the write starts, so two processes appending at
  // once can write over each other: they take turns. A turn a killed process held is taken
  // over (WAIT_ABANDONED).
  static const HANDLE turn = CreateMutexW(nullptr, FALSE, L"QuilloryStandinJournal");
  const DWORD waited = turn ? WaitForSingleObject(turn, 10000) : WAIT_FAILED;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const std::string line = std::to_string(GetCurrentProcessId()) + "\t" + quillory::Narrow(text) + "\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
  }
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(turn);
}

std::wstring JournalValue(const VARIANT& value) {
  std::wstring prefix;
  VARIANT plain;
  VariantInit(&plain);
  if (value.vt & VT_BYREF) {
    prefix = L"ByRef ";
    if (FAILED(VariantCopyInd(&plain, const_cast<VARIANT*>(&value)))) return L"ByRef ?";
  } else if (FAILED(VariantCopy(&plain, const_cast<VARIANT*>(&value)))) {
    return L"?";
  }
  std::wstring text;
  switch (plain.vt) {
    case VT_EMPTY: text = L"Empty"; break;
    case VT_NULL: text = L"Null"; break;
    case VT_BSTR: text = L"\"" + std::wstring(plain.bstrVal ? plain.bstrVal : L"", SysStringLen(plain.bstrVal)) + L"\""; break;
    case VT_I4: text = std::to_wstring(plain.lVal); break;
    case VT_BOOL: text = plain.boolVal ? L"True" : L"False"; break;
    case VT_ERROR: text = plain.scode == DISP_E_PARAMNOTFOUND ? L"Missing" : L"Error"; break;
    case VT_DISPATCH: text = L"Object"; break;
    default: {
      VARIANT shown;
      VariantInit(&shown);
      const wchar_t* type = TypeName(plain.vt);
      if (type && SUCCEEDED(VariantChangeType(&shown, &plain, 0, VT_BSTR))) {
        text = std::wstring(shown.bstrVal, SysStringLen(shown.bstrVal)) + L":" + type;
      } else {
        text = L"?vt=" + std::to_wstring(plain.vt);
      }
      VariantClear(&shown);
    }
  }
  VariantClear(&plain);
  return prefix + text;
}

}  // namespace standin

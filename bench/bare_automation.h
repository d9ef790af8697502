// The bare baseline of the conversion benchmarks: the automation calls a run makes for one
// document, made straight through IDispatch with nothing around them; and the test documents.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/utf_win.h"

namespace bench {

// The same calls with nothing around them.
inline HRESULT Call(IDispatch* object, const wchar_t* member, WORD flags, std::vector<const wchar_t*> argumentNames,
             std::vector<VARIANT> arguments, VARIANT* result) {
  std::vector<LPOLESTR> names = {const_cast<LPOLESTR>(member)};
  for (const wchar_t* n : argumentNames) names.push_back(const_cast<LPOLESTR>(n));
  std::vector<DISPID> ids(names.size());
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()), LOCALE_USER_DEFAULT, ids.data());
  if (FAILED(hr)) return hr;
  std::reverse(arguments.begin(), arguments.end());
  // Named arguments come last in the caller's list; the positional ones before them.
  std::vector<DISPID> named(ids.begin() + 1, ids.end());
  std::reverse(named.begin(), named.end());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{arguments.data(), flags == DISPATCH_PROPERTYPUT ? &put : named.data(),
                    static_cast<UINT>(arguments.size()),
                    flags == DISPATCH_PROPERTYPUT ? 1u : static_cast<UINT>(named.size())};
  return object->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

inline VARIANT I4(int v) { VARIANT x; VariantInit(&x); x.vt = VT_I4; x.lVal = v; return x; }
inline VARIANT Bool(bool v) { VARIANT x; VariantInit(&x); x.vt = VT_BOOL; x.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE; return x; }
inline VARIANT Str(BSTR v) { VARIANT x; VariantInit(&x); x.vt = VT_BSTR; x.bstrVal = v; return x; }

inline bool BareDocument(const CLSID& clsid, BSTR document, BSTR templ, BSTR empty, BSTR password) {
  IDispatch* app = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&app)))) return false;
  Call(app, L"AutomationSecurity", DISPATCH_PROPERTYPUT, {}, {I4(3)}, nullptr);
  Call(app, L"DisplayAlerts", DISPATCH_PROPERTYPUT, {}, {I4(0)}, nullptr);
  VARIANT documents, opened;
  VariantInit(&documents);
  VariantInit(&opened);
  bool ok = SUCCEEDED(Call(app, L"Documents", DISPATCH_PROPERTYGET, {}, {}, &documents)) &&
            SUCCEEDED(Call(documents.pdispVal, L"Open", DISPATCH_METHOD,
                           {L"ConfirmConversions", L"ReadOnly", L"AddToRecentFiles", L"PasswordDocument"},
                           {Str(document), Bool(false), Bool(true), Bool(false), Str(password)}, &opened)) &&
            SUCCEEDED(Call(opened.pdispVal, L"SaveAs", DISPATCH_METHOD,
                           {L"FileName", L"FileFormat", L"LockComments", L"Password", L"AddToRecentFiles",
                            L"WritePassword", L"ReadOnlyRecommended", L"EmbedTrueTypeFonts",
                            L"SaveNativePictureFormat", L"SaveFormsData", L"SaveAsAOCELetter"},
                           {Str(templ), I4(1), Bool(false), Str(empty), Bool(true), Str(empty), Bool(false),
                            Bool(false), Bool(false), Bool(false), Bool(false)},
                           nullptr));
  Call(app, L"Quit", DISPATCH_METHOD, {}, {}, nullptr);
  VariantClear(&opened);
  VariantClear(&documents);
  app->Release();
  return ok;
}

// tests/data of the source tree, as a Windows path.
inline std::wstring FixtureFolder() {
  std::string file = __FILE__;
  for (char& c : file) {
    if (c == '/') c = '\\';
  }
  if (!file.empty() && file[0] == '\\') file = "Z:" + file;
  return quillory::Widen(file.substr(0, file.rfind("\\bench\\")) + "\\tests\\data");
}

// The fixture letter.doc copied into a folder of this process's own under the temporary folder
// (named after `bench`); the copy's path, or empty when it cannot be made.
inline std::wstring BenchDocument(const std::wstring& bench) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"quillory-" + bench + L"-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring document = folder + L"\\letter.doc";
  return CopyFileW((FixtureFolder() + L"\\letter.doc").c_str(), document.c_str(), FALSE) ? document : std::wstring();
}

}  // namespace bench

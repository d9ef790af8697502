// What a drag source offers a drop target, built by a test or a benchmark: one block of bytes
// in one format, such as the shell's file-drop list.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <string>

#include "common/com_object_win.h"
#include "common/scoped_handles_win.h"

namespace quillory::test {

// The data object of a drag: a fresh copy of `bytes` at each request, as the shell gives it
// (the receiver frees it). It lives on its owner's stack.
struct DataOffer final : StaticComObject<IDataObject> {
  DataOffer(CLIPFORMAT format, std::string bytes) : format(format), bytes(std::move(bytes)) {}
  STDMETHODIMP GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
    if (QueryGetData(wanted) != S_OK) return DV_E_FORMATETC;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(GlobalLockScope(copy).Data(), bytes.data(), bytes.size());
    *medium = STGMEDIUM{TYMED_HGLOBAL, {}, nullptr};
    medium->hGlobal = copy;
    return S_OK;
  }
  STDMETHODIMP QueryGetData(FORMATETC* wanted) override {
    return wanted->cfFormat == format && (wanted->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
  CLIPFORMAT format;
  std::string bytes;
};

// The shell's wide file-drop list (CF_HDROP) of `count` paths, the i-th from `path(i)`: a
// header, then each path closed by a NUL, and one more NUL.
inline DataOffer FileDrop(size_t count, const std::function<std::wstring(size_t)>& path) {
  const DROPFILES header{sizeof(DROPFILES), {}, FALSE, TRUE};
  std::wstring names;
  for (size_t i = 0; i < count; ++i) names += path(i) + L'\0';
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  bytes.append(reinterpret_cast<const char*>(names.c_str()), (names.size() + 1) * sizeof(wchar_t));
  return DataOffer(CF_HDROP, std::move(bytes));
}

}  // namespace quillory::test

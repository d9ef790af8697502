#include "platform/com_activation.h"

#include <wrl/client.h>

namespace quillory {

bool IsUnknownClass(HRESULT hr) { return hr == CO_E_CLASSSTRING || hr == REGDB_E_CLASSNOTREG; }

HRESULT CreateLocalInstance(const wchar_t* progId, IDispatch** object) {
  *object = nullptr;
  CLSID clsid{};
  const HRESULT hr = CLSIDFromProgID(progId, &clsid);
  if (FAILED(hr)) return hr;
  return CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(object));
}

HRESULT GetActiveInstance(const wchar_t* progId, IDispatch** object) {
  *object = nullptr;
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(progId, &clsid);
  if (FAILED(hr)) return hr;
  Microsoft::WRL::ComPtr<IUnknown> active;
  hr = GetActiveObject(clsid, nullptr, &active);
  if (FAILED(hr)) return hr;
  if (!active) return E_POINTER;
  return active->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object));
}

}  // namespace quillory

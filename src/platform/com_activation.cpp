#include "platform/com_activation.h"

#include <wrl/client.h>

namespace quillory {

bool IsUnknownClass(HRESULT hr) { return hr == CO_E_CLASSSTRING || hr == REGDB_E_CLASSNOTREG; }

bool IsServerGone(HRESULT hr) {
  switch (hr) {
    case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):  // 0x800706BA, every call after the end
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED):         // 0x800706BE, the call it ended in
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE):
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case RPC_E_CONNECTION_TERMINATED:
    case CO_E_OBJNOTCONNECTED:
      return true;
    default:
      return false;
  }
}

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

// Late-bound calls through IDispatch: members and named arguments by name, values as
// VARIANTs. Nothing throws; a failure carries the HRESULT and the server's own description.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <span>
#include <string>
#include <string_view>

#include "platform/com_variant.h"

namespace quillory {

struct NamedArgument {
  std::wstring name;
  Variant value;
};

struct DispatchResult {
  HRESULT hr = S_OK;
  Variant value;             // what the member returned
  std::wstring description;  // the server's EXCEPINFO text, when it gave one

  bool Ok() const { return SUCCEEDED(hr); }
  // The server's description, or else the system's text for the HRESULT; UTF-8.
  std::string Reason() const;
};

DispatchResult GetProperty(IDispatch* object, std::wstring_view name);
// The default member (DISPID_VALUE) read with no arguments.
DispatchResult GetDefaultValue(IDispatch* object);
DispatchResult PutProperty(IDispatch* object, std::wstring_view name, const Variant& value);
// Positional arguments are in the member's order; named ones follow them, in the order
// given, and are resolved together with the member in one GetIDsOfNames call.
DispatchResult CallMethod(IDispatch* object, std::wstring_view name,
                          std::span<const Variant> positional = {},
                          std::span<const NamedArgument> named = {});

}  // namespace quillory

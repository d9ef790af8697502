#include "platform/dispatch.h"

#include <vector>

#include "common/utf_win.h"
#include "platform/hresult_text.h"

namespace quillory {
namespace {

// Frees the strings of an EXCEPINFO and turns it into the call's result.
void TakeException(EXCEPINFO& info, DispatchResult& result) {
  if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
  if (info.bstrDescription) {
    result.description.assign(info.bstrDescription, SysStringLen(info.bstrDescription));
  }
  if (FAILED(info.scode)) {
    result.hr = info.scode;
  } else if (info.wCode != 0) {
    result.hr = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info.wCode);
  }
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  info = EXCEPINFO{};
}

DispatchResult Invoke(IDispatch* object, const std::wstring_view* member, WORD flags,
                      std::span<const Variant> positional, std::span<const NamedArgument> named,
                      bool isPut) {
  DispatchResult result;
  if (!object) {
    result.hr = E_POINTER;
    return result;
  }

  // The member and every argument name in one request, so the server resolves the names
  // against that member.
  DISPID memberId = DISPID_VALUE;
  std::vector<DISPID> namedIds(named.size());
  if (member) {
    std::vector<std::wstring> names;
    names.reserve(1 + named.size());
    names.emplace_back(*member);
    for (const NamedArgument& argument : named) names.push_back(argument.name);
    std::vector<LPOLESTR> pointers;
    for (std::wstring& n : names) pointers.push_back(n.data());
    std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
    result.hr = object->GetIDsOfNames(IID_NULL, pointers.data(), static_cast<UINT>(pointers.size()),
                                      LOCALE_USER_DEFAULT, ids.data());
    // Only a server that answered can refuse a name; any other failure (a server gone, say)
    // speaks for itself.
    if (FAILED(result.hr) && result.hr != DISP_E_UNKNOWNNAME) return result;
    if (FAILED(result.hr)) {
      std::wstring unknown;
      for (size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] == DISPID_UNKNOWN) unknown += (unknown.empty() ? L"\"" : L", \"") + names[i] + L"\"";
      }
      result.description = L"The automation server does not know " +
                           (unknown.empty() ? L"\"" + names[0] + L"\"" : unknown) + L".";
      return result;
    }
    memberId = ids[0];
    for (size_t i = 0; i < named.size(); ++i) namedIds[i] = ids[i + 1];
  } else if (!named.empty()) {
    result.hr = E_INVALIDARG;
    return result;
  }

  // IDispatch takes its arguments last to first: the named ones occupy the front of the
  // array, each beside its identifier, then the positional ones.
  const size_t count = named.size() + positional.size();
  std::vector<VARIANTARG> arguments(count);
  std::vector<DISPID> argumentIds(named.size());
  for (size_t i = 0; i < named.size(); ++i) {
    arguments[named.size() - 1 - i] = named[i].value.Get();
    argumentIds[named.size() - 1 - i] = namedIds[i];
  }
  for (size_t i = 0; i < positional.size(); ++i) {
    arguments[count - 1 - i] = positional[i].Get();
  }
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{};
  parameters.rgvarg = count ? arguments.data() : nullptr;
  parameters.cArgs = static_cast<UINT>(count);
  if (isPut) {
    parameters.rgdispidNamedArgs = &putId;
    parameters.cNamedArgs = 1;
  } else {
    parameters.rgdispidNamedArgs = argumentIds.empty() ? nullptr : argumentIds.data();
    parameters.cNamedArgs = static_cast<UINT>(argumentIds.size());
  }

  EXCEPINFO exception{};
  UINT argumentError = 0;
  result.hr = object->Invoke(memberId, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                             isPut ? nullptr : result.value.Receive(), &exception, &argumentError);
  if (result.hr == DISP_E_EXCEPTION) TakeException(exception, result);
  return result;
}

}  // namespace

std::string DispatchResult::Reason() const {
  if (!description.empty()) return Narrow(description);
  return HresultText(hr);
}

DispatchResult GetProperty(IDispatch* object, std::wstring_view name) {
  return Invoke(object, &name, DISPATCH_PROPERTYGET, {}, {}, false);
}

DispatchResult GetDefaultValue(IDispatch* object) {
  return Invoke(object, nullptr, DISPATCH_PROPERTYGET, {}, {}, false);
}

DispatchResult PutProperty(IDispatch* object, std::wstring_view name, const Variant& value) {
  return Invoke(object, &name, DISPATCH_PROPERTYPUT, std::span<const Variant>(&value, 1), {}, true);
}

DispatchResult CallMethod(IDispatch* object, std::wstring_view name,
                          std::span<const Variant> positional, std::span<const NamedArgument> named) {
  return Invoke(object, &name, DISPATCH_METHOD, positional, named, false);
}

}  // namespace quillory

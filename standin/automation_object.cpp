#include "automation_object.h"

#include <oleauto.h>

#include "journal.h"
#include "server_state.h"

namespace standin {
namespace {

const Member* FindByName(const std::vector<Member>& members, const wchar_t* name) {
  for (const Member& m : members) {
    if (CompareStringOrdinal(m.name, -1, name, -1, TRUE) == CSTR_EQUAL) return &m;
  }
  return nullptr;
}

const Member* FindById(const std::vector<Member>& members, DISPID id) {
  for (const Member& m : members) {
    if (m.id == id) return &m;
  }
  return nullptr;
}

}  // namespace

CallArguments::CallArguments(const DISPPARAMS& params, bool isPut) {
  // IDispatch packs arguments last to first, named ones at the front of the array.
  for (UINT i = params.cNamedArgs; i-- > 0;) {
    if (params.rgdispidNamedArgs[i] == DISPID_PROPERTYPUT && isPut) {
      putValue_ = &params.rgvarg[i];
    } else {
      named_.emplace_back(params.rgdispidNamedArgs[i], &params.rgvarg[i]);
    }
  }
  for (UINT i = params.cArgs; i-- > params.cNamedArgs;) positional_.push_back(&params.rgvarg[i]);
  if (isPut && !putValue_ && !positional_.empty()) {
    putValue_ = positional_.back();
    positional_.pop_back();
  }
}

const VARIANT* CallArguments::Find(size_t index) const {
  const VARIANT* found = index < positional_.size() ? positional_[index] : nullptr;
  for (const auto& [id, value] : named_) {
    if (!found && id == static_cast<DISPID>(index)) found = value;
  }
  // A caller skips an optional argument by passing this error.
  const bool missing = found && found->vt == VT_ERROR && found->scode == DISP_E_PARAMNOTFOUND;
  return missing ? nullptr : found;
}

std::wstring CallArguments::JournalText(const Member& member) const {
  std::wstring text;
  for (const VARIANT* value : positional_) text += (text.empty() ? L"" : L", ") + JournalValue(*value);
  for (const auto& [id, value] : named_) {
    const std::wstring name = id >= 0 && static_cast<size_t>(id) < member.parameters.size()
                                  ? member.parameters[id]
                                  : L"#" + std::to_wstring(id);
    text += (text.empty() ? L"" : L", ") + name + L":=" + JournalValue(*value);
  }
  return text;
}

AutomationObject::AutomationObject() { ObjectCreated(); }
AutomationObject::~AutomationObject() { ObjectDestroyed(); }

HRESULT AutomationObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT AutomationObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT AutomationObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  NoteActivity();
  if (!names || !ids || count == 0) return E_INVALIDARG;
  std::wstring line = std::wstring(ObjectName()) + L": names ";
  for (UINT i = 0; i < count; ++i) line += (i ? L", " : L"") + std::wstring(names[i] ? names[i] : L"");
  Journal(line);

  HRESULT hr = S_OK;
  const Member* member = names[0] ? FindByName(Members(), names[0]) : nullptr;
  ids[0] = member ? member->id : DISPID_UNKNOWN;
  if (!member) hr = DISP_E_UNKNOWNNAME;
  for (UINT i = 1; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    if (member && names[i]) {
      for (size_t p = 0; p < member->parameters.size(); ++p) {
        if (CompareStringOrdinal(member->parameters[p], -1, names[i], -1, TRUE) == CSTR_EQUAL) {
          ids[i] = static_cast<DISPID>(p);
        }
      }
    }
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT AutomationObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  NoteActivity();
  if (argumentError) *argumentError = 0;
  const Member* member = FindById(Members(), id);
  if (!member) {
    Journal(std::wstring(ObjectName()) + L": unknown member #" + std::to_wstring(id));
    return DISP_E_MEMBERNOTFOUND;
  }
  static DISPPARAMS noParams{};
  const bool isPut = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  CallArguments arguments(params ? *params : noParams, isPut);

  const std::wstring memberName = id == DISPID_VALUE ? L"(default)" : member->name;
  std::wstring line = std::wstring(ObjectName()) + L": ";
  if (isPut) {
    line += L"put " + memberName + L" = " +
            (arguments.PutValue() ? JournalValue(*arguments.PutValue()) : std::wstring(L"?"));
  } else if (flags & DISPATCH_METHOD) {
    line += L"call " + memberName + L"(" + arguments.JournalText(*member) + L")";
  } else {
    line += L"get " + memberName;
    const std::wstring text = arguments.JournalText(*member);
    if (!text.empty()) line += L"(" + text + L")";
  }
  Journal(line);

  VARIANT scratch;
  VariantInit(&scratch);
  std::wstring error;
  HRESULT hr = S_OK;
  try {
    hr = Run(*member, flags, arguments, result ? result : &scratch, &error);
  } catch (...) {
    hr = E_OUTOFMEMORY;
    error = L"The stand-in ran out of memory.";
  }
  VariantClear(&scratch);
  if (SUCCEEDED(hr)) return hr;

  Journal(std::wstring(ObjectName()) + L": error " + error);
  if (!exception) return hr;
  *exception = EXCEPINFO{};
  exception->bstrSource = SysAllocString(L"Quillory Standin");
  exception->bstrDescription = SysAllocString(error.c_str());
  exception->scode = hr;
  return DISP_E_EXCEPTION;
}

bool ArgumentString(const VARIANT* value, std::wstring* text) {
  if (!value) return false;
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_BSTR))) return false;
  text->assign(converted.bstrVal ? converted.bstrVal : L"", SysStringLen(converted.bstrVal));
  VariantClear(&converted);
  return true;
}

bool ArgumentBool(const VARIANT* value, bool* flag) {
  if (!value) return false;
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_BOOL))) return false;
  *flag = converted.boolVal != VARIANT_FALSE;
  return true;
}

bool ArgumentInt(const VARIANT* value, int* number) {
  if (!value) return false;
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_I4))) return false;
  *number = converted.lVal;
  return true;
}

}  // namespace standin

// A late-bound automation object without a type library: members and their parameter
// names are resolved by name, every call is journalled, and a failure is reported through
// EXCEPINFO filled at once. No C++ exception leaves a COM method.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "common/com_object_win.h"

namespace standin {

struct Member {
  const wchar_t* name;
  DISPID id;
  std::vector<const wchar_t*> parameters;  // a parameter's DISPID is its index here
};

// The arguments of one call, in the caller's order.
class CallArguments {
 public:
  CallArguments(const DISPPARAMS& params, bool isPut);
  // The argument for the parameter at this index, by position or by name; null if absent
  // or passed as missing.
  const VARIANT* Find(size_t index) const;
  const VARIANT* PutValue() const { return putValue_; }
  std::wstring JournalText(const Member& member) const;

 private:
  std::vector<const VARIANT*> positional_;
  std::vector<std::pair<DISPID, const VARIANT*>> named_;
  const VARIANT* putValue_ = nullptr;
};

class AutomationObject : public quillory::ComObject<IDispatch> {
 public:
  AutomationObject();
  ~AutomationObject() override;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

 protected:
  virtual const wchar_t* ObjectName() const = 0;
  virtual const std::vector<Member>& Members() const = 0;
  // S_OK, or a failure with its description in *error.
  virtual HRESULT Run(const Member& member, WORD flags, const CallArguments& arguments,
                      VARIANT* result, std::wstring* error) = 0;
};

// Reads an optional argument; false when present but not convertible.
bool ArgumentString(const VARIANT* value, std::wstring* text);
bool ArgumentBool(const VARIANT* value, bool* flag);
bool ArgumentInt(const VARIANT* value, int* number);

}  // namespace standin

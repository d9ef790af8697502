#include "platform/com_variant.h"

#include "common/utf_win.h"

namespace quillory {

Variant::Variant(const Variant& other) {
  VariantInit(&value_);
  VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    VariantClear(&value_);
    VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
  }
  return *this;
}

Variant::Variant(Variant&& other) noexcept {
  value_ = other.value_;
  VariantInit(&other.value_);
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&value_);
    value_ = other.value_;
    VariantInit(&other.value_);
  }
  return *this;
}

Variant Variant::String(std::wstring_view text) {
  Variant v;
  v.value_.vt = VT_BSTR;
  v.value_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return v;
}

Variant Variant::Utf8(std::string_view text) { return String(Widen(text)); }

Variant Variant::Int32(int32_t number) {
  Variant v;
  v.value_.vt = VT_I4;
  v.value_.lVal = number;
  return v;
}

Variant Variant::Bool(bool flag) {
  Variant v;
  v.value_.vt = VT_BOOL;
  v.value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

VARIANT* Variant::Receive() {
  VariantClear(&value_);
  return &value_;
}

bool Variant::ToString(std::wstring* text) const {
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, Mutable(), 0, VT_BSTR))) return false;
  *text = converted.bstrVal ? std::wstring(converted.bstrVal, SysStringLen(converted.bstrVal))
                            : std::wstring();
  VariantClear(&converted);
  return true;
}

bool Variant::ToInt32(int32_t* number) const {
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, Mutable(), 0, VT_I4))) return false;
  *number = converted.lVal;
  return true;
}

bool Variant::ToDispatch(IDispatch** object) const {
  *object = nullptr;
  VARIANT plain;
  VariantInit(&plain);
  if (FAILED(VariantCopyInd(&plain, Mutable()))) return false;
  bool ok = false;
  if (plain.vt == VT_DISPATCH && plain.pdispVal) {
    *object = plain.pdispVal;
    (*object)->AddRef();
    ok = true;
  } else if (plain.vt == VT_UNKNOWN && plain.punkVal) {
    ok = SUCCEEDED(plain.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object)));
  }
  VariantClear(&plain);
  return ok;
}

}  // namespace quillory

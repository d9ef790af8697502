// RAII owners of the automation value types: BSTR and VARIANT.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace quillory {

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::wstring_view text);
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : value_(other.Release()) {}
  Bstr& operator=(Bstr&& other) noexcept;

  BSTR Get() const { return value_; }
  // For out-parameters: frees what is held first.
  BSTR* Receive();
  BSTR Release();
  std::wstring Text() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : std::wstring(); }

 private:
  BSTR value_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant& other);
  Variant& operator=(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;

  static Variant String(std::wstring_view text);
  static Variant Utf8(std::string_view text);
  static Variant Int32(int32_t number);
  static Variant Bool(bool flag);
  // Takes a reference of its own.
  static Variant Dispatch(IDispatch* object);

  const VARIANT& Get() const { return value_; }
  VARIANT* Receive();
  VARTYPE Type() const { return value_.vt; }
  bool IsEmpty() const { return value_.vt == VT_EMPTY; }

  // Conversions that look through VT_BYREF; false when the value does not convert.
  bool ToString(std::wstring* text) const;
  bool ToInt32(int32_t* number) const;
  bool ToBool(bool* flag) const;
  // The object held (VT_DISPATCH, or VT_UNKNOWN answering IDispatch), with a new reference.
  bool ToDispatch(IDispatch** object) const;

 private:
  // The conversion functions take non-const pointers but leave the source alone.
  VARIANT* Mutable() const { return const_cast<VARIANT*>(&value_); }
  VARIANT value_;
};

}  // namespace quillory

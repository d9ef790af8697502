// The automation value type VARIANT, owned: cleared once, copied deeply.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace quillory {

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

  const VARIANT& Get() const { return value_; }
  VARIANT* Receive();

  // Conversions that look through VT_BYREF; false when the value does not convert.
  bool ToString(std::wstring* text) const;
  bool ToInt32(int32_t* number) const;
  // The object held (VT_DISPATCH, or VT_UNKNOWN answering IDispatch), with a new reference.
  bool ToDispatch(IDispatch** object) const;

 private:
  // The conversion functions take non-const pointers but leave the source alone.
  VARIANT* Mutable() const { return const_cast<VARIANT*>(&value_); }
  VARIANT value_;
};

}  // namespace quillory

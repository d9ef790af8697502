// A thread's COM apartment for the owner's life: CoUninitialize exactly when CoInitializeEx
// succeeded, whatever path leaves the scope.
#pragma once

#include <objbase.h>

namespace quillory {

class ComApartment {
 public:
  explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) : ok_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
  ~ComApartment() {
    if (ok_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

}  // namespace quillory

// A thread's apartment for the owner's life, single-threaded: plain COM, or OLE on top of it
// (drag and drop need that). Uninitialised exactly when the start succeeded, whatever path
// leaves the scope.
#pragma once

#include <ole2.h>

namespace quillory {

template <bool withOle>
class Apartment {
 public:
  Apartment()
      : ok_(SUCCEEDED(withOle ? OleInitialize(nullptr) : CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~Apartment() {
    if (!ok_) return;
    if (withOle) {
      OleUninitialize();
    } else {
      CoUninitialize();
    }
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

using ComApartment = Apartment<false>;
using OleApartment = Apartment<true>;

}  // namespace quillory

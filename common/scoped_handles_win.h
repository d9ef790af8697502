// Owners of the system's objects: each is freed once, when its owner goes, whatever path the
// code takes out. One template, and a line per kind saying what is empty and how it is freed.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include <memory>

// The COM and OLE apartments' owners, shared with the stand-in.
#include "common/com_apartment_win.h"

namespace quillory {

template <typename Traits>
class Scoped {
 public:
  using Handle = typename Traits::Handle;

  Scoped() = default;
  explicit Scoped(Handle handle) : handle_(handle) {}
  ~Scoped() { Reset(); }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  Scoped(Scoped&& other) noexcept : handle_(other.Release()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return Traits::Valid(handle_); }
  void Reset(Handle handle = Handle{}) {
    if (Traits::Valid(handle_)) Traits::Free(handle_);
    handle_ = handle;
  }
  Handle Release() {
    Handle handle = handle_;
    handle_ = Handle{};
    return handle;
  }

 private:
  Handle handle_{};
};

// A kernel object; both null and INVALID_HANDLE_VALUE mean none (the API returns either).
struct KernelHandleTraits {
  using Handle = HANDLE;
  static bool Valid(Handle h) { return h && h != INVALID_HANDLE_VALUE; }
  static void Free(Handle h) { CloseHandle(h); }
};
struct FindHandleTraits {
  using Handle = HANDLE;
  static bool Valid(Handle h) { return h && h != INVALID_HANDLE_VALUE; }
  static void Free(Handle h) { FindClose(h); }
};
struct FontTraits {
  using Handle = HFONT;
  static bool Valid(Handle h) { return h != nullptr; }
  static void Free(Handle h) { DeleteObject(h); }
};
struct IconTraits {
  using Handle = HICON;
  static bool Valid(Handle h) { return h != nullptr; }
  static void Free(Handle h) { DestroyIcon(h); }
};
struct CursorTraits {
  using Handle = HCURSOR;
  static bool Valid(Handle h) { return h != nullptr; }
  static void Free(Handle h) { DestroyCursor(h); }
};

using ScopedHandle = Scoped<KernelHandleTraits>;
using ScopedFind = Scoped<FindHandleTraits>;
using ScopedFont = Scoped<FontTraits>;
using ScopedIcon = Scoped<IconTraits>;
using ScopedCursor = Scoped<CursorTraits>;

// An object selected into a device context while the owner lives; the one it replaced is
// selected back at the end.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), replaced_(object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelection() {
    if (replaced_) SelectObject(dc_, replaced_);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ replaced_;
};

// Memory the shell or COM hands over, given back with CoTaskMemFree.
struct TaskMemFree {
  void operator()(void* memory) const { CoTaskMemFree(memory); }
};
template <typename T>
using TaskMem = std::unique_ptr<T, TaskMemFree>;

// A global memory block locked for the owner's life; no data when there is no block.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
  ~GlobalLockScope() {
    if (data_) GlobalUnlock(memory_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  void* Data() const { return data_; }
  size_t Size() const { return data_ ? GlobalSize(memory_) : 0; }

 private:
  HGLOBAL memory_;
  void* data_;
};

}  // namespace quillory

// IUnknown for the objects written by hand: QueryInterface answers IUnknown and each listed
// interface; an atomic reference count. A ComObject starts with its creator's reference and
// deletes itself when the last one goes. A StaticComObject lives as long as the program (a
// class factory that COM holds): it counts nothing and is never deleted.
#pragma once

#include <unknwn.h>

#include <atomic>
#include <tuple>

namespace quillory {

enum class ComLifetime { kCounted, kStatic };

template <ComLifetime lifetime, typename... Interfaces>
class ComObjectBase : public Interfaces... {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;
    void* found = iid == __uuidof(IUnknown) ? static_cast<IUnknown*>(static_cast<First*>(this)) : nullptr;
    ((found = found ? found : iid == __uuidof(Interfaces) ? static_cast<Interfaces*>(this) : nullptr), ...);
    *object = found;
    if (!found) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    if constexpr (lifetime == ComLifetime::kStatic) return 2;
    else return ++references_;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    if constexpr (lifetime == ComLifetime::kStatic) {
      return 1;
    } else {
      const ULONG left = --references_;
      if (left == 0) delete this;
      return left;
    }
  }

 protected:
  ComObjectBase() = default;
  virtual ~ComObjectBase() = default;
  ComObjectBase(const ComObjectBase&) = delete;
  ComObjectBase& operator=(const ComObjectBase&) = delete;

 private:
  std::atomic<ULONG> references_{1};
};

template <typename... Interfaces>
using ComObject = ComObjectBase<ComLifetime::kCounted, Interfaces...>;
template <typename... Interfaces>
using StaticComObject = ComObjectBase<ComLifetime::kStatic, Interfaces...>;

}  // namespace quillory

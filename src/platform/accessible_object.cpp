#include "platform/accessible_object.h"

#include <initguid.h>  // the annotation's class and property ids, defined here once
#include <oleacc.h>
#include <wrl/client.h>

#include <utility>

#include "common/com_object_win.h"

namespace quillory {
namespace {

using Microsoft::WRL::ComPtr;

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's proxy of the control, answering otherwise only where the overrides say so.
// Holds no pointer into the program: a screen reader may keep it after the window is gone.
class OverriddenProxy final : public ComObject<IAccessible, IOleWindow> {
  using Base = ComObject<IAccessible, IOleWindow>;

 public:
  OverriddenProxy(HWND control, ComPtr<IAccessible> proxy, AccessibleOverrides overrides)
      : control_(control), proxy_(std::move(proxy)), overrides_(std::move(overrides)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object && iid == __uuidof(IDispatch)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    return Base::QueryInterface(iid, object);
  }

  // IOleWindow: the window it stands for.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = control_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IDispatch, as the proxy answers it.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return proxy_->GetTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return proxy_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
    return proxy_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argument) override {
    return proxy_->Invoke(id, iid, locale, flags, params, result, exception, argument);
  }

  // What is overridden.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child) || overrides_.name.empty()) return proxy_->get_accName(child, name);
    return Text(overrides_.name, name);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child) || overrides_.role == 0) return proxy_->get_accRole(child, role);
    if (!role) return E_POINTER;
    role->vt = VT_I4;
    role->lVal = overrides_.role;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT result = proxy_->get_accState(child, state);
    if (SUCCEEDED(result) && IsSelf(child) && state && state->vt == VT_I4) state->lVal &= ~overrides_.stateRemoved;
    return result;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!IsSelf(child) || overrides_.defaultAction.empty()) return proxy_->get_accDefaultAction(child, action);
    return Text(overrides_.defaultAction, action);
  }
  // Posted, not run here: the action may open a dialog or start a run, which must not happen
  // inside a call from another process. Refused, as a click would be, while the control or its
  // window is disabled (a dialog of the window's is open).
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!IsSelf(child) || overrides_.defaultActionMessage == 0) return proxy_->accDoDefaultAction(child);
    if (!IsWindowEnabled(control_) || !IsWindowEnabled(GetAncestor(control_, GA_ROOT))) return E_FAIL;
    return PostMessageW(control_, overrides_.defaultActionMessage, 0, 0) ? S_OK : E_FAIL;
  }

  // The rest is the proxy's.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return proxy_->get_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return proxy_->get_accChildCount(count); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return proxy_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override { return proxy_->get_accValue(child, value); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return proxy_->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return proxy_->get_accHelp(child, help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return proxy_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return proxy_->get_accKeyboardShortcut(child, keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return proxy_->get_accFocus(child); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override { return proxy_->get_accSelection(children); }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return proxy_->accSelect(flags, child); }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    return proxy_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return proxy_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override { return proxy_->accHitTest(x, y, child); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return proxy_->put_accName(child, name); }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return proxy_->put_accValue(child, value);
  }

 private:
  static HRESULT Text(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  HWND control_;
  ComPtr<IAccessible> proxy_;
  AccessibleOverrides overrides_;
};

}  // namespace

LRESULT AnswerAccessibleObject(HWND control, WPARAM wParam, LPARAM lParam, const AccessibleOverrides& overrides) {
  if (static_cast<long>(lParam) != OBJID_CLIENT) return 0;
  ComPtr<IAccessible> proxy;
  if (FAILED(CreateStdAccessibleObject(control, OBJID_CLIENT, IID_PPV_ARGS(&proxy)))) return 0;
  ComPtr<IAccessible> answer;
  answer.Attach(new OverriddenProxy(control, std::move(proxy), overrides));
  return LresultFromObject(__uuidof(IAccessible), wParam, answer.Get());
}

bool AnnotateAccessibleName(HWND control, const std::wstring& name) {
  ComPtr<IAccPropServices> services;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                              reinterpret_cast<void**>(services.GetAddressOf())))) {
    return false;
  }
  return SUCCEEDED(services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                                            name.c_str()));
}

}  // namespace quillory

#include "platform/message_filter.h"

namespace quillory {
namespace {

class RetryFilter final : public IMessageFilter {
 public:
  explicit RetryFilter(DWORD retryForMs) : retryForMs_(retryForMs) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
      *object = static_cast<IMessageFilter*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType) override {
    return RetryRejectedAnswer(rejectType, elapsedMs, retryForMs_);
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }

 private:
  LONG references_ = 1;
  DWORD retryForMs_;
};

}  // namespace

DWORD RetryRejectedAnswer(DWORD rejectType, DWORD elapsedMs, DWORD retryForMs) {
  // Only "retry later" is worth waiting for; a plain rejection will not change.
  if (rejectType == SERVERCALL_RETRYLATER && elapsedMs < retryForMs) return kRetryDelayMs;
  return static_cast<DWORD>(-1);
}

MessageFilterScope::MessageFilterScope(DWORD retryForMs) : filter_(new RetryFilter(retryForMs)) {
  registered_ = SUCCEEDED(CoRegisterMessageFilter(filter_, &previous_));
}

MessageFilterScope::~MessageFilterScope() {
  if (registered_) {
    IMessageFilter* ours = nullptr;
    CoRegisterMessageFilter(previous_, &ours);
    if (ours) ours->Release();
  }
  if (previous_) previous_->Release();
  filter_->Release();
}

}  // namespace quillory

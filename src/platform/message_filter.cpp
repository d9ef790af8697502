#include "platform/message_filter.h"

#include "common/com_object_win.h"

namespace quillory {
namespace {

class RetryFilter final : public ComObject<IMessageFilter> {
 public:
  explicit RetryFilter(DWORD retryForMs) : retryForMs_(retryForMs) {}

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
  ~RetryFilter() override = default;
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

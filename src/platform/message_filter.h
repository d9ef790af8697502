// While it lives, the thread's COM message filter retries calls that a busy automation server
// turns away (SERVERCALL_RETRYLATER, seen as RPC_E_CALL_REJECTED) for a while instead of
// failing them at once. The thread must be in a single-threaded apartment.
#pragma once

#include <windows.h>
#include <objidl.h>

namespace quillory {

// How long a turned-away call is retried, and how long to wait between tries.
inline constexpr DWORD kRetryRejectedForMs = 60000;
inline constexpr DWORD kRetryDelayMs = 200;

// What RetryRejectedCall answers: the delay before trying again, or (DWORD)-1 to give up.
DWORD RetryRejectedAnswer(DWORD rejectType, DWORD elapsedMs, DWORD retryForMs);

class MessageFilterScope {
 public:
  explicit MessageFilterScope(DWORD retryForMs = kRetryRejectedForMs);
  ~MessageFilterScope();
  MessageFilterScope(const MessageFilterScope&) = delete;
  MessageFilterScope& operator=(const MessageFilterScope&) = delete;

 private:
  IMessageFilter* filter_ = nullptr;
  IMessageFilter* previous_ = nullptr;
  bool registered_ = false;
};

}  // namespace quillory

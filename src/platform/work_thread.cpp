#include "platform/work_thread.h"

#include <chrono>
#include <exception>
#include <thread>

#include "platform/message_pump.h"
#include "platform/scoped_handles.h"

namespace quillory {

bool RunWhileAnswering(HWND dialogWindow, const std::function<bool()>& stopRequested,
                       const std::function<void(const std::atomic<bool>& stop)>& work) {
  std::atomic<bool> stop{false};
  ScopedHandle ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!ended) {  // no way to wait for it: the work runs here
    work(stop);
    return true;
  }
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work(stop);
    } catch (...) {
      failure = std::current_exception();
    }
    SetEvent(ended.Get());
  });

  // The wait is for messages, not a pace: each runs as soon as it comes.
  PendingMessages messages(dialogWindow, stopRequested, std::chrono::microseconds(0));
  bool answering = messages();
  HANDLE handles[] = {ended.Get()};
  while (answering) {
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke != WAIT_OBJECT_0 + 1) break;  // the work has ended (or the wait cannot go on: join it)
    answering = messages();
  }
  if (!answering) stop = true;
  worker.join();
  if (failure) std::rethrow_exception(failure);
  return answering;
}

}  // namespace quillory

#include "platform/work_thread.h"

#include <chrono>
#include <exception>
#include <system_error>
#include <thread>

#include "platform/message_pump.h"
#include "common/scoped_handles_win.h"

namespace quillory {

bool StartThread(std::function<void()> work) {
  try {
    std::thread(std::move(work)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

bool RunWhileAnswering(HWND dialogWindow, const std::function<bool()>& stopRequested,
                       const std::function<void(const std::atomic<bool>& stop)>& work) {
  std::atomic<bool> stop{false};
  ScopedHandle ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!ended) {  // no way to wait for it: the work runs here
    work(stop);
    return true;
  }
  std::exception_ptr failure;
  // Nothing of this frame is touched once `ended` is set, so the frame may go as soon as it is.
  const bool started = StartThread([&] {
    try {
      work(stop);
    } catch (...) {
      failure = std::current_exception();
    }
    SetEvent(ended.Get());
  });
  if (!started) {
    work(stop);
    return true;
  }

  // What is already waiting runs first; then each message as it comes, until the work ends.
  bool answering = RunWaitingMessages(dialogWindow, stopRequested);
  if (answering) {
    answering = WaitWhilePumping(ended.Get(), std::chrono::steady_clock::time_point::max(), stopRequested,
                                 dialogWindow) == WaitResult::kSignalled;
  }
  if (!answering) stop = true;
  WaitForSingleObject(ended.Get(), INFINITE);
  if (failure) std::rethrow_exception(failure);
  return answering;
}

}  // namespace quillory

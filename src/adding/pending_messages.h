// Lets the window's waiting messages run in the middle of long work, so it repaints and
// answers; tells the work to stop once the window has been closed.
#pragma once

#include <chrono>

namespace quillory {

class Form1;

class PendingMessages {
 public:
  // Messages run at most once per `interval`: looking for them costs far more than a step of
  // the walk, and a message then waits no longer than about this interval.
  explicit PendingMessages(const Form1& form,
                           std::chrono::microseconds interval = std::chrono::milliseconds(5));

  // Runs what is waiting (when the interval has passed); false once the window is closed or
  // the program has been asked to end: the work must stop at once.
  bool operator()();

 private:
  const Form1& form_;
  std::chrono::microseconds interval_;
  std::chrono::steady_clock::time_point last_{};
  bool stop_ = false;
};

}  // namespace quillory

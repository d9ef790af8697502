// The thread's message pump: the main loop, and the waits of long work, which either let the
// thread's messages run (a window that keeps answering) or wait on the handle alone (a console).
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

namespace quillory {

// Hands one message to its window; keyboard navigation of `dialogWindow` (Tab, arrows)
// first.
void DispatchOne(MSG& msg, HWND dialogWindow);

// Runs the thread's messages until WM_QUIT; returns its exit code. `dialogWindow` is read
// at each message (it may be gone).
int RunMessageLoop(const std::function<HWND()>& dialogWindow);

// Runs every message waiting now; false once `stop` says so after one, or when the program is
// asked to end (that request is left for the main loop).
bool RunWaitingMessages(HWND dialogWindow, const std::function<bool()>& stop);

enum class WaitResult { kSignalled, kTimedOut, kStopped };

// What is left until `deadline`, for a system wait: 0 once it has passed, at most a minute (a
// longer wait looks again).
DWORD MillisecondsUntil(std::chrono::steady_clock::time_point deadline);

// Waits for `handle` while the thread's messages run, so the window paints and answers. Ends
// early, kStopped, once `stop` says so after a message, or when the program is asked to end
// (that request is left for the main loop).
WaitResult WaitWhilePumping(HANDLE handle, std::chrono::steady_clock::time_point deadline,
                            const std::function<bool()>& stop, HWND dialogWindow);

// Waits until `handle` is signalled or `deadline` passes; kStopped as soon as `stop` (when
// given) says so. How the thread answers its user meanwhile is the waiter's own.
using Waiter = std::function<WaitResult(HANDLE handle, std::chrono::steady_clock::time_point deadline,
                                        const std::function<bool()>& stop)>;

// A window's waiter: its thread's messages run while it waits (keyboard navigation of
// `dialogWindow` first).
Waiter WaitAnsweringWindow(HWND dialogWindow);

// A console's waiter: the handle, the deadline, or `stopEvent` once the work is to stop (only
// when a `stop` is given: ending an instance or letting one quit waits on the handle alone).
Waiter WaitOrStop(HANDLE stopEvent);

}  // namespace quillory

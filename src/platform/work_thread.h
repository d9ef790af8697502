// Long work on a thread of its own while this thread's windows keep answering: the work
// touches no window, and every message runs as it arrives.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

namespace quillory {

// Starts `work` on a thread of its own that nobody joins: whoever needs to know when it ends is
// told by the work itself. False when no thread could be started.
bool StartThread(std::function<void()> work);

// Runs `work` on a new thread and, meanwhile, this thread's messages (keyboard navigation of
// `dialogWindow` first); the messages already waiting run before anything else. True once the
// work has ended by itself. When `stopRequested` turns true after a message, or the program
// is asked to end (that request is left for the main loop), no other message runs: `stop` is
// raised, the work is awaited (it is to end soon after `stop`), and the result is false. An
// exception out of `work` comes out of here, once the work has ended.
bool RunWhileAnswering(HWND dialogWindow, const std::function<bool()>& stopRequested,
                       const std::function<void(const std::atomic<bool>& stop)>& work);

}  // namespace quillory

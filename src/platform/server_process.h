// The process of a local automation server this program asks for, told apart from every other
// process so that an instance that hangs can be ended. A process is taken for ours only when it
// runs the program file registered for the server's class, was started after the request began,
// and is the only such process started since: the user's own instance of the same program, or
// another program's, is never taken for it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/scoped_handles.h"

namespace quillory {

struct ServerProcess {
  DWORD id = 0;
  FILETIME created{};  // with the id, tells the process apart from a later one given the same id
};

class ServerProcessFinder {
 public:
  // Finds the program file registered for the ProgID's class and notes the processes running it
  // now. Call just before the request for a new instance.
  explicit ServerProcessFinder(const wchar_t* progId);

  // The one process of the server's program started since construction; nothing when there is
  // none (yet), or more than one (which is ours cannot be told).
  std::optional<ServerProcess> StartedSince() const;

 private:
  std::wstring image_;  // the registered program file, long form
  std::vector<DWORD> before_;
  FILETIME startedAt_{};
};

// A handle to wait on while the process found still runs; empty once it is gone (or its id has
// gone to another process).
ScopedHandle OpenServerProcess(const ServerProcess& process);

// Ends the process if it is still the one found (same id, same start time) and waits until it is
// gone; true then. Any other process, or one already gone, is left alone.
bool EndServerProcess(const ServerProcess& process);

}  // namespace quillory

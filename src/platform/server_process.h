// The process of a local automation server this program asks for, so that an instance that
// hangs can be ended. An instance names its own process: on Windows the system decodes the
// proxy (CoDecodeProxy), and in every case the reference COM marshals for it carries the
// server's process id in its IPID. The id is then checked against the processes that run the
// program file registered for the class and were started since the finder was made: the
// user's own instance, or any other program, is never taken for ours.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <optional>
#include <string>
#include <vector>

#include "common/scoped_handles_win.h"

namespace quillory {

struct ServerProcess {
  DWORD id = 0;
  FILETIME created{};  // with the id, tells the process apart from a later one given the same id
};

class ServerProcessFinder {
 public:
  // Finds the program file registered for the ProgID's class and notes the processes running it
  // now. Made before the first request for a new instance.
  explicit ServerProcessFinder(const wchar_t* progId);

  // The process that serves `object`, a proxy to a new instance held by the calling thread;
  // nothing when the instance does not name it or it is not a process of the registered
  // program started since construction.
  std::optional<ServerProcess> ServingProcess(IUnknown* object) const;

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

// Reaching an automation server by its ProgID, late bound.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace quillory {

// True for the answers that mean no server is installed under the name.
bool IsUnknownClass(HRESULT hr);

// True for the answers a call or a request gets once its server has ended or cannot be reached:
// killed, crashed, exited on its own while its client still held it, or disconnected.
bool IsServerGone(HRESULT hr);

// A new instance of the ProgID's class, in a server process of its own (never the user's
// running one).
HRESULT CreateLocalInstance(const wchar_t* progId, IDispatch** object);

// The instance registered as the running one for the ProgID; nothing is started.
HRESULT GetActiveInstance(const wchar_t* progId, IDispatch** object);

}  // namespace quillory

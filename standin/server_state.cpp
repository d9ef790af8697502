#include "server_state.h"

#include <string>

#include "journal.h"

namespace standin {
namespace {
LONG liveObjects = 0;
ULONGLONG lastActivity = GetTickCount64();
bool quitRequested = false;
}  // namespace

void ObjectCreated() { InterlockedIncrement(&liveObjects); }
void ObjectDestroyed() { InterlockedDecrement(&liveObjects); }
long LiveObjects() { return liveObjects; }

void NoteActivity() { lastActivity = GetTickCount64(); }
ULONGLONG MillisecondsSinceActivity() { return GetTickCount64() - lastActivity; }

void RequestQuit() { quitRequested = true; }
bool QuitRequested() { return quitRequested; }

void WaitForEver(std::wstring_view why) {
  Journal(L"Server: waiting for ever: " + std::wstring(why));
  for (;;) Sleep(INFINITE);
}

}  // namespace standin

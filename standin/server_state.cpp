#include "server_state.h"

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

}  // namespace standin

// What the whole stand-in process knows: how many automation objects live, when the last
// call came, and whether it was asked to quit.
#pragma once

#include <windows.h>

namespace standin {

void ObjectCreated();
void ObjectDestroyed();
long LiveObjects();

// Every call counts as activity for the idle timeout.
void NoteActivity();
ULONGLONG MillisecondsSinceActivity();

void RequestQuit();
bool QuitRequested();

}  // namespace standin

// What the whole stand-in process knows: how many automation objects live, when the last
// call came, and whether it was asked to quit; and the wait of a prompt nobody answers.
#pragma once

#include <windows.h>

#include <string_view>

namespace standin {

void ObjectCreated();
void ObjectDestroyed();
long LiveObjects();

// Every call counts as activity for the idle timeout.
void NoteActivity();
ULONGLONG MillisecondsSinceActivity();

void RequestQuit();
bool QuitRequested();

// Journals why, then blocks the calling thread until the process is ended from outside, as
// the word processor waits behind a prompt nobody can see. Calls arrive on the thread that
// also runs the idle timeout, so that never ends a waiting process; nothing spins meanwhile.
[[noreturn]] void WaitForEver(std::wstring_view why);

}  // namespace standin

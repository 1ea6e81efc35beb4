#pragma once
// Waiting for another process to end: /waitpid's wait for the application that started the
// updater and must let go of its files first.

#include <windows.h>

// Waits at most `milliseconds` for the process `processId` to end. True when it has ended or
// is not there; false while it still runs. Never throws.
bool WaitForProcessEnd(DWORD processId, DWORD milliseconds);

#pragma once
// Module LaunchExecutables: starting a program from a command line.

#include <functional>
#include <string>

// Starts `commandLine` (the program's path, optionally followed by its arguments, split by the
// system's rule) with the window style `windowStyle` (a SW_ value). Without `wait` returns at
// once; with it, returns once the program has ended, sleeping until the program ends or a
// message arrives and calling `processPendingEvents` for each arrival, so that the window stays
// responsive without using the processor. A wait that cannot be set up is skipped silently.
// False only when the program cannot be started. Never throws.
bool LaunchExecutable(const std::string& commandLine, bool wait, int windowStyle,
                      const std::function<void()>& processPendingEvents);

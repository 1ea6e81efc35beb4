#pragma once
// Administrator rights: whether this process has them, and starting a program that gets them
// (the system asks the user first).

#include <string>

#include "core/seam/LaunchSystem.h"

// True when this process's token is elevated. False too when the token cannot be read: the
// program then offers to ask for rights rather than assume it has them.
bool IsProcessElevated();

// Starts `program` with `parameters` (one command line of arguments) elevated, through the
// shell's "runas" verb; the consent prompt belongs to this thread's active window. Never throws.
LaunchSystem::Relaunch StartElevated(const std::string& program, const std::string& parameters);

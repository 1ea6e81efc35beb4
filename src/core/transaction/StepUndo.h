#pragma once
// Undoing and finishing the steps of a journal. Both are idempotent: each looks at what is on
// the disk before it acts, so a crash in the middle of an undo or a commit is repaired by
// doing it again from the start.

#include <string>
#include <vector>

#include "core/seam/FileSystem.h"
#include "core/transaction/JournalStep.h"

// Undoes `steps` in reverse order, going on after a step that fails. Returns the paths of the
// steps that could not be undone (empty when everything is as it was).
std::vector<std::string> UndoSteps(FileSystem& files, const std::vector<JournalStep>& steps);

// Finishes a committed transaction: removes every aside copy its steps left (a folder with
// everything in it). Returns the aside copies that could not be removed (a program still runs
// from one).
std::vector<std::string> FinishSteps(FileSystem& files, const std::vector<JournalStep>& steps);

// Removes the aside copy (or any entry of our own) at `path`, a folder with everything in it.
// False when something of it is still there.
bool RemoveOwnEntry(FileSystem& files, const std::string& path);

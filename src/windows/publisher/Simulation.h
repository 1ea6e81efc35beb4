#pragma once
// simulate on Windows: a whole update check of a copy of the program's folder, with the real
// interpreter, file system, download logic and cryptography, and a window, downloads and program
// starts that record instead of showing, fetching from the network only what --map does not
// answer, and starting nothing.

#include <iosfwd>

#include "publisher/simulate/SimulateCommand.h"

// Copies options.app into a new temporary folder, runs start-up and one update check there,
// writes the report (progress log, message boxes, programs not started, downloads, the change
// to the folder) to `out` and removes the copy unless options.keep. options.app is only read.
// Returns 1 when the run ended on the failed path (start-up refused, no version file, the
// update information not downloaded, a failed command), else 0. Throws std::exception when the
// simulation cannot be set up (a folder that cannot be read or copied).
int RunSimulation(const SimulateOptions& options, std::ostream& out);

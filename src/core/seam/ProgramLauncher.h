#pragma once
// Starting the programs that update scripts name.

#include <string>

class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;

    // Starts the command line with the given window style; with `wait`, returns only after the
    // program has ended, keeping the window responsive meanwhile. False when it cannot start.
    virtual bool LaunchExecutable(const std::string& commandLine, bool wait, int windowStyle) = 0;
};

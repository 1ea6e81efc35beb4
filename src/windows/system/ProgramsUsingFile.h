#pragma once
// The programs that hold a file open, as the Restart Manager (RSTRTMGR.dll, delay-loaded from
// System32) names them, for a message that asks the user to close them.

#include <string>
#include <vector>

// The names of the programs holding the file `path` open, in the ANSI code page, joined by
// JoinProgramNames; empty when the system cannot tell or names none.
std::string ProgramsUsingFile(const std::string& path);

// The names for a sentence: "A", "A and B", "A, B and C". Empty and repeated names are left out.
std::string JoinProgramNames(const std::vector<std::string>& names);

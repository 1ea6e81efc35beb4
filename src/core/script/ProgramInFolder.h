#pragma once
// The command line of a program that an EXE line names in the program's folder.

#include <string>

#include "core/seam/FileSystem.h"

// `commandLine` begins with "\": the program lies in the folder `appPath`. Its path is found as
// the system finds the program of an unquoted command line, but only after the folder, so that
// a blank in the folder's own name never splits it: the blank-separated prefixes of
// `commandLine` are tried shortest first, each as written and then with ".exe" when its name
// has no extension, and the first that is an existing file is the program. Returns the
// program's full path in quotes followed by the rest of the line, its arguments. When none
// exists, the first prefix is taken, so that the start fails on that name.
std::string ProgramInFolderCommandLine(FileSystem& files, const std::string& appPath,
                                       const std::string& commandLine);

#pragma once
// What a program file's version information says about it, for the About box.

#include <string>

struct ProgramVersion {
    std::string productName;  // "ProductName" of the first translation, in the ANSI code page
    unsigned major = 0, minor = 0, build = 0, revision = 0;  // the numeric file version
};

// Reads the version information of the program file at `path`. A file without version
// information gives an empty product name and version 0.0.0.0; nothing is reported.
ProgramVersion ReadProgramVersion(const std::string& path);

// "Version : " followed by major.minor.build.revision in decimal, e.g. "Version : 2.0.0.0".
std::string VersionLine(const ProgramVersion& version);

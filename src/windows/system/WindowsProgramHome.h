#pragma once
// ProgramHome over Win32: the running program file's folder and name, and INI values read with
// GetPrivateProfileStringA.

#include <string>

#include "core/seam/ProgramHome.h"

class WindowsProgramHome : public ProgramHome {
public:
    std::string ProgramFolder() override;
    std::string ProgramName() override;
    std::string ReadIniString(const std::string& file, const std::string& section,
                              const std::string& key) override;
};

// The full path of the running program file.
std::string ProgramFilePath();

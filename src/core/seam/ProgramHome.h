#pragma once
// Where the program lives and how its own settings files are read: what start-up needs to find
// the language and configuration files, and what every language text lookup goes through.

#include <string>

class ProgramHome {
public:
    virtual ~ProgramHome() = default;

    // The folder that holds the program file, as the system reports it (a drive root keeps
    // its backslash), and the program's file name without its extension.
    virtual std::string ProgramFolder() = 0;
    virtual std::string ProgramName() = 0;

    // The value of `key` in `section` of the INI file, cut to 1023 characters; the empty text
    // when the file, section or key is missing. Never fails.
    virtual std::string ReadIniString(const std::string& file, const std::string& section,
                                      const std::string& key) = 0;

    // The program's folder as scripts use it (AppPath): a drive root loses its backslash, so
    // that every path built from it has exactly one between folder and name.
    std::string AppPath() {
        std::string folder = ProgramFolder();
        if (!folder.empty() && folder.back() == '\\') {
            folder.pop_back();
        }
        return folder;
    }

    // One of the program's own files beside it: the program's name with `extension` (".lng",
    // ".cfg"), so that renaming the program renames the files it looks for.
    std::string OwnFilePath(const std::string& extension) {
        return AppPath() + "\\" + ProgramName() + extension;
    }
};

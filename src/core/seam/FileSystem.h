#pragma once
// The file and folder operations of the script commands and the update check run.
//
// Paths are bytes in the system's ANSI code page. Functions documented as throwing throw an
// exception derived from std::exception whose what() is a description of the failure fit to
// show to the user (for a system error, the system's own text).

#include <string>

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True when a listing of exactly `path` yields an ordinary file: hidden and system files
    // and folders count as missing.
    virtual bool FileExists(const std::string& path) = 0;

    // The whole content of the file, byte for byte. Throws when it cannot be opened or read.
    virtual std::string ReadFileBytes(const std::string& path) = 0;

    // Deletes the file. Throws when it cannot be deleted, a missing file included.
    virtual void RemoveFile(const std::string& path) = 0;

    // What `path` is, whatever way it is written: the path of the file or folder the system
    // opens for it, links followed, "." and ".." resolved, short (8.3) names made long, as the
    // system reports it. Two paths name the same folder when their final paths are equal
    // (letters without regard to case). Empty when nothing is there (a missing path, a file
    // named as a folder). Throws when something is there that cannot be opened.
    virtual std::string FinalPath(const std::string& path) = 0;

    // Existence test of MKD, RMD and ERD: a listing of `path` that sees folders and ordinary
    // files but not hidden or system entries finds something. A path ending in "\" lists the
    // folder's own entries ("." included).
    virtual bool VisibleEntryExists(const std::string& path) = 0;

    // Existence test of DEL: a listing of `path` that sees ordinary, hidden, system and
    // archived files, but not folders, finds something.
    virtual bool AnyFileExists(const std::string& path) = 0;

    // Creates the last folder of `path` (parents are not created). Throws on failure.
    virtual void MakeFolder(const std::string& path) = 0;

    // Removes the empty folder `path`. Throws on failure (not empty, in use, a file).
    virtual void RemoveEmptyFolder(const std::string& path) = 0;

    // Sets the file's attributes to normal, then deletes it. Throws when either step fails.
    virtual void ResetAttributesAndDelete(const std::string& path) = 0;

    // Removes everything inside the folder `path` (which ends in a backslash), depth first,
    // then the folder itself unless it is a drive root. False at the first removal that fails.
    virtual bool EraseDirectory(const std::string& path) = 0;
};

#pragma once
// What the updater's logic needs from the operating system: the program's identity, INI
// values, files and folders, programs and HTTP downloads. WindowsPlatform implements it over
// Win32; the unit tests use an in-memory fake.
//
// Paths, URLs and texts are bytes in the system's ANSI code page. Functions documented as
// throwing throw an exception derived from std::exception whose what() is a description of
// the failure fit to show to the user (for a system error, the system's own text).

#include <string>

class UpdaterPlatform {
public:
    virtual ~UpdaterPlatform() = default;

    // The folder that holds the program file, as the system reports it (a drive root keeps
    // its backslash), and the program's file name without its extension.
    virtual std::string ProgramFolder() = 0;
    virtual std::string ProgramName() = 0;

    // The value of `key` in `section` of the INI file, cut to 1023 characters; the empty text
    // when the file, section or key is missing. Never fails.
    virtual std::string ReadIniString(const std::string& file, const std::string& section,
                                      const std::string& key) = 0;

    // True when a listing of exactly `path` yields an ordinary file: hidden and system files
    // and folders count as missing.
    virtual bool FileExists(const std::string& path) = 0;

    // The whole content of the file, byte for byte. Throws when it cannot be opened or read.
    virtual std::string ReadFileBytes(const std::string& path) = 0;

    // Deletes the file. Throws when it cannot be deleted, a missing file included.
    virtual void RemoveFile(const std::string& path) = 0;

    // The absolute form of `path`, with "." and ".." resolved and short (8.3) names made long,
    // for telling whether two paths name the same folder. `path` itself when it cannot be
    // resolved.
    virtual std::string FullPathName(const std::string& path) = 0;

    // Existence test of MKD, RMD and ERD: a listing of `path` that sees folders and ordinary
    // files but not hidden or system entries finds something.
    virtual bool VisibleEntryExists(const std::string& path) = 0;

    // Existence test of DEL: a listing of `path` that sees ordinary, hidden, system and
    // archived files, but not folders, finds something.
    virtual bool AnyFileExists(const std::string& path) = 0;

    // Creates the last folder of `path` (parents are not created). Throws on failure.
    virtual void MakeFolder(const std::string& path) = 0;

    // Removes the empty folder `path`. Throws on failure.
    virtual void RemoveEmptyFolder(const std::string& path) = 0;

    // Sets the file's attributes to normal, then deletes it. Throws on failure.
    virtual void ResetAttributesAndDelete(const std::string& path) = 0;

    // Removes everything inside the folder `path` (which ends in a backslash), depth first,
    // then the folder itself unless it is a drive root. False at the first removal that fails.
    virtual bool EraseDirectory(const std::string& path) = 0;

    // Starts the command line with the given window style; with `wait`, returns only after the
    // program has ended, keeping the window responsive meanwhile. False when it cannot start.
    virtual bool LaunchExecutable(const std::string& commandLine, bool wait, int windowStyle) = 0;

    // Fetches the URL with an HTTP GET into the local file, showing progress. True only when
    // the whole body arrived and was stored; on failure the local path is left as it was.
    virtual bool DownloadFile(const std::string& url, const std::string& localPath) = 0;
};

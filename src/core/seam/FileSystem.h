#pragma once
// The file and folder operations of the script commands and the update check run.
//
// Paths are bytes in the system's ANSI code page. Functions documented as throwing throw an
// exception derived from std::exception whose what() is a description of the failure fit to
// show to the user (for a system error, the system's own text).

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// What an update's undo puts back besides a name and its bytes: the attributes and the times
// of a file or folder, as the system keeps them (Windows' attribute bits and FILETIME values).
struct EntryStamp {
    std::uint32_t attributes = 0;
    std::uint64_t created = 0;
    std::uint64_t written = 0;

    bool operator==(const EntryStamp&) const = default;
};

// Attribute bits the core reads or sets, as Windows numbers them.
inline constexpr std::uint32_t kAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeFolder = 0x10;

// Thrown by FileSystem::MoveEntry when the system refuses because another program holds the
// entry open (without sharing its deletion). what() is the system's description.
class EntryInUse : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that grows at its end only. What Append wrote outlives the process at once (the
// system holds it); Flush makes it outlive a power cut too.
class AppendOnlyFile {
public:
    virtual ~AppendOnlyFile() = default;
    // Throws when the bytes cannot be written whole.
    virtual void Append(std::string_view bytes) = 0;
    // Throws when what was written cannot be flushed to the disk.
    virtual void Flush() = 0;
};

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

    // What an update's journal needs.

    // True when anything at all is at `path`: a file or a folder, hidden and system ones
    // included. No wildcards.
    virtual bool EntryExists(const std::string& path) = 0;

    // The names (not paths) of the entries of the folder `folder` (no trailing backslash),
    // files and folders, hidden and system ones included, "." and ".." left out. Empty when the
    // folder cannot be listed.
    virtual std::vector<std::string> EntryNames(const std::string& folder) = 0;

    // The name of the entry `path` as its folder holds it: its own letter case and long form
    // ("Read Me.txt" for "c:\app\READ ME.TXT" or "c:\app\README~1.TXT"). Throws when nothing
    // is there.
    virtual std::string ActualName(const std::string& path) = 0;

    // The attributes and times of the file or folder at `path`. Throws when it cannot be read.
    virtual EntryStamp ReadStamp(const std::string& path) = 0;

    // Sets the attributes (the folder bit aside) and the creation and last-write times of the
    // file or folder at `path`, a file in use included; with both times 0, the attributes
    // only. Throws on failure.
    virtual void WriteStamp(const std::string& path, const EntryStamp& stamp) = 0;

    // Renames the file or folder `from` to `to` on the same volume, keeping its bytes,
    // attributes and times; a running program or a loaded library may be renamed. With
    // `replace`, a file at `to` is replaced; without, an entry there is a failure. Throws
    // EntryInUse when another program holds `from` (or the file at `to`) open without sharing
    // its deletion, another exception for any other failure.
    virtual void MoveEntry(const std::string& from, const std::string& to, bool replace) = 0;

    // The names of the programs that hold the file `path` open, as the system can tell them
    // ("Notepad", "Notepad and Word"); empty when it cannot.
    virtual std::string ProgramsUsing(const std::string& path) = 0;

    // Opens the file `path` for appending, creating it (hidden) when it is not there. Throws
    // when it cannot be opened or created.
    virtual std::unique_ptr<AppendOnlyFile> OpenForAppend(const std::string& path) = 0;
};

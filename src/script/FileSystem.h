#pragma once
// File and folder operations of the script commands and the update check run, over Win32.
// Functions that throw, throw Win32Error with the system's description of the failure.

#include <string>

// True when a listing of exactly `path` yields an ordinary file: hidden and system files and
// folders count as missing.
bool OrdinaryFileExists(const std::string& path);

// Existence test of MKD, RMD and ERD: a listing of `path` that sees folders and ordinary files
// but not hidden or system entries finds something. A path ending in "\" lists the folder's
// own entries ("." included).
bool VisibleEntryExists(const std::string& path);

// Existence test of DEL: a listing that sees ordinary, hidden, system and archived files, but
// not folders, finds something.
bool AnyFileExists(const std::string& path);

// The absolute form of `path`: "." and ".." resolved, short (8.3) names made long where the
// path exists. `path` itself when the system cannot resolve it.
std::string FullPathName(const std::string& path);

// The whole file, byte for byte. Throws when it cannot be opened or read.
std::string ReadFileBytes(const std::string& path);

// Deletes the file. Throws on failure, a missing file included.
void RemoveFile(const std::string& path);

// Creates the last folder of `path`. Throws on failure (a missing parent included).
void MakeFolder(const std::string& path);

// Removes the empty folder. Throws on failure (not empty, in use, a file).
void RemoveEmptyFolder(const std::string& path);

// Sets the file's attributes to normal, then deletes it. Throws when either step fails.
void ResetAttributesAndDelete(const std::string& path);

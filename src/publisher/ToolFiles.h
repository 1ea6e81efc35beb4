#pragma once
// The publisher's tool's files: whole reads and writes, and the SHA-256 of a file.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/seam/Crypto.h"

// The whole file. Throws std::runtime_error ("cannot read PATH") when it is not a readable
// regular file.
std::string ReadFile(const std::string& path);

// Writes `bytes` as the whole file, in place. Throws std::runtime_error on failure.
void WriteFile(const std::string& path, std::string_view bytes);

// Writes `bytes` to a temporary file beside `path`, then renames it over `path`: readers see the
// old file or the new one, never a part. Throws std::runtime_error on failure, leaving `path` as
// it was.
void ReplaceFile(const std::string& path, std::string_view bytes);

// The SHA-256 of the file's bytes, read in pieces. Throws std::runtime_error when it cannot be
// read. The path as given on the command line, or as the file system names it.
Sha256Digest Sha256OfFile(Crypto& crypto, const std::string& path);
Sha256Digest Sha256OfFile(Crypto& crypto, const std::filesystem::path& path);

#pragma once
// The publisher's tool's files: whole reads and the SHA-256 of a file (the tool writes through
// ToolFileWriter).

#include <filesystem>
#include <string>

#include "core/seam/Crypto.h"

// The whole file. Throws std::runtime_error ("cannot read PATH") when it is not a readable
// regular file.
std::string ReadFile(const std::string& path);

// The SHA-256 of the file's bytes, read in pieces. Throws std::runtime_error when it cannot be
// read. The path as given on the command line, or as the file system names it.
Sha256Digest Sha256OfFile(Crypto& crypto, const std::string& path);
Sha256Digest Sha256OfFile(Crypto& crypto, const std::filesystem::path& path);

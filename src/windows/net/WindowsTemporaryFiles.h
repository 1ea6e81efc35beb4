#pragma once
// The download's temporary files on a Windows file system.

#include <memory>
#include <string>

#include "core/net/TemporaryFile.h"

// Temporary files named "<target>.download", or "<target>.N.download" when that name is taken.
class WindowsTemporaryFiles final : public TemporaryFiles {
public:
    // Creates the first free name, never a file that already existed. Null when the folder is
    // missing or refuses, or no name is free. Never throws but std::bad_alloc.
    std::unique_ptr<TemporaryFile> CreateBeside(const std::string& target) override;
};

#include "publisher/common/AtomicWrite.h"

#include <cstdint>
#include <random>
#include <stdexcept>

namespace {

constexpr int kTemporaryNameAttempts = 8;  // a taken random name is a fluke: try others

// `target` followed by ".qp-", 16 hex digits from std::random_device (the system's random
// source) and ".tmp": in the target's folder, so that a rename can replace the target.
std::string TemporaryPathBeside(const std::string& target) {
    constexpr char kHexDigits[] = "0123456789abcdef";
    std::random_device source;
    std::string name = target + ".qp-";
    for (int half = 0; half < 2; ++half) {
        std::uint32_t bits = source();
        for (int digit = 0; digit < 8; ++digit, bits >>= 4) name += kHexDigits[bits & 0xF];
    }
    return name + ".tmp";
}

// A new temporary file beside `target` holding `bytes`, flushed. Throws std::runtime_error.
std::string CreateTemporaryBeside(ToolFileSystem& files, const std::string& target,
                                  std::string_view bytes) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        const std::string temporary = TemporaryPathBeside(target);
        if (files.CreateNewFile(temporary, bytes, FileAccess::kShared) == NewFileOutcome::kCreated)
            return temporary;
    }
    throw std::runtime_error("every temporary name tried beside it is taken");
}

}  // namespace

void WriteAtomically(ToolFileSystem& files, const std::string& path, std::string_view bytes) {
    try {
        const std::string temporary = CreateTemporaryBeside(files, path, bytes);
        try {
            files.MoveOver(temporary, path);
        } catch (const std::runtime_error&) {
            files.Remove(temporary);
            throw;
        }
    } catch (const std::runtime_error& error) {
        throw std::runtime_error("cannot write " + path + ": " + error.what());
    }
}

#include "core/script/ProgramInFolder.h"

#include <string_view>
#include <vector>

namespace {

// The names the system tries for one prefix: as written, then with ".exe" when it has none.
std::vector<std::string> Spellings(const std::string& program) {
    const std::size_t nameStart = program.find_last_of("\\/") + 1;
    const std::string_view name = std::string_view(program).substr(nameStart);
    if (name.empty() || name.find('.') != std::string_view::npos) {
        return {program};
    }
    return {program, program + ".exe"};
}

// The program in quotes, then the rest of the line from the blank at `end` on.
std::string QuotedCommandLine(const std::string& program, const std::string& commandLine,
                              std::size_t end) {
    const std::string arguments = end == std::string::npos ? "" : commandLine.substr(end);
    return '"' + program + '"' + arguments;
}

}  // namespace

std::string ProgramInFolderCommandLine(FileSystem& files, const std::string& appPath,
                                       const std::string& commandLine) {
    const std::size_t firstBlank = commandLine.find(' ');
    for (std::size_t end = firstBlank;; end = commandLine.find(' ', end + 1)) {
        for (const std::string& program : Spellings(appPath + commandLine.substr(0, end))) {
            if (files.AnyFileExists(program)) {
                return QuotedCommandLine(program, commandLine, end);
            }
        }
        if (end == std::string::npos) {
            break;
        }
    }
    return QuotedCommandLine(appPath + commandLine.substr(0, firstBlank), commandLine, firstBlank);
}

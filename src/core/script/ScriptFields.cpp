#include "core/script/ScriptFields.h"

#include <string_view>

#include "core/script/ScriptFailure.h"
#include "core/text/ReadableLength.h"

void NextField(std::string& rest, std::string& field) {
    const std::size_t separator = rest.find(';');
    const std::size_t length = separator == std::string::npos ? rest.size() : separator;
    field.append(rest, 0, length);
    rest.erase(0, length);
}

void RemoveFieldSeparator(std::string& rest) {
    if (rest.empty()) {
        throw ScriptFailure(
            "A field is missing: the line has fewer fields separated by \";\" "
            "than its command needs.");
    }
    rest.erase(0, 1);
}

void RejectWildcards(const std::string& path) {
    if (path.find_first_of("*?") != std::string::npos) {
        throw ScriptFailure("Wildcards (\"*\" and \"?\") are not allowed in a path: " +
                            CutToReadableLength(path));
    }
}

bool IsInProgramFolder(const std::string& path) {
    return !path.empty() && path.front() == '\\';
}

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Refuses a path used as written that starts with two separators. The program's folder itself
// may be such a path (the updater started from a share): paths the rule puts there are not
// tested.
void RejectDeviceAndNetworkPaths(const std::string& path) {
    const std::string_view start = std::string_view(path).substr(path.starts_with('"') ? 1 : 0);
    if (start.size() < 2 || !IsSeparator(start[0]) || !IsSeparator(start[1])) {
        return;
    }
    const bool device = start.size() >= 3 && (start[2] == '?' || start[2] == '.') &&
                        (start.size() == 3 || IsSeparator(start[3]));
    if (device) {
        throw ScriptFailure("Device paths (\"\\\\?\\\" and \"\\\\.\\\") are not allowed: " + path);
    }
    throw ScriptFailure("Network paths are not allowed: " + path);
}

}  // namespace

std::string ApplyScriptPathRule(const std::string& appPath, const std::string& path) {
    if (IsInProgramFolder(path)) {
        return appPath + path;
    }
    RejectDeviceAndNetworkPaths(path);
    return path;
}

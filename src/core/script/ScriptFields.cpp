#include "core/script/ScriptFields.h"

#include <algorithm>
#include <string_view>

#include "core/script/ScriptFailure.h"
#include "core/text/ReadableLength.h"

namespace {

// Where the field that starts at `from` ends: before the next ";", or at the end of `text`.
std::size_t FieldEnd(std::string_view text, std::size_t from) {
    return std::min(text.find(';', from), text.size());
}

[[noreturn]] void ThrowMissingField() {
    throw ScriptFailure(
        "A field is missing: the line has fewer fields separated by \";\" "
        "than its command needs.");
}

}  // namespace

void NextField(std::string& rest, std::string& field) {
    const std::size_t length = FieldEnd(rest, 0);
    field.append(rest, 0, length);
    rest.erase(0, length);
}

void RemoveFieldSeparator(std::string& rest) {
    if (rest.empty()) {
        ThrowMissingField();
    }
    rest.erase(0, 1);
}

ArgumentFields ArgumentFields::Whole(std::string_view argument) {
    ArgumentFields fields;
    fields.argument_ = argument;
    fields.fields_[0] = {argument, 0};
    fields.count_ = 1;
    return fields;
}

ArgumentFields ArgumentFields::Split(std::string_view argument, std::size_t count) {
    ArgumentFields fields;
    fields.argument_ = argument;
    std::size_t start = 0;
    while (fields.count_ < std::min(count, kMostFields)) {
        const std::size_t end = FieldEnd(argument, start);
        fields.fields_[fields.count_++] = {argument.substr(start, end - start), start};
        if (end == argument.size()) {
            break;
        }
        start = end + 1;
    }
    return fields;
}

void ArgumentFields::Require(std::size_t count) const {
    if (count_ < count) {
        ThrowMissingField();
    }
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

#include "core/script/ScriptFields.h"

#include "core/script/ScriptFailure.h"

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

std::string ApplyScriptPathRule(const std::string& appPath, const std::string& path) {
    if (!path.empty() && path.front() == '\\') {
        return appPath + path;
    }
    return path;
}

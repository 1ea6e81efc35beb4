#pragma once
// Splitting arguments into fields, and the script path rule.

#include <string>

// Moves the characters in front of the first ";" of `rest` to the end of `field`. The ";"
// itself stays at the front of `rest`, which is empty when no ";" was left.
void NextField(std::string& rest, std::string& field);

// Removes the ";" at the front of `rest` before the next field is taken. Throws ScriptFailure
// when `rest` is empty: the line has fewer fields than its command needs.
void RemoveFieldSeparator(std::string& rest);

// A local path that begins with "\" lies in the program's folder: the result is `appPath`
// followed by the path, its backslash included. Any other path is returned unchanged. Only
// the first character is tested, so "\\server\share" is made relative too.
std::string ApplyScriptPathRule(const std::string& appPath, const std::string& path);

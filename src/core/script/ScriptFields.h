#pragma once
// Splitting arguments into fields, and the script path rule.

#include <string>

// Moves the characters in front of the first ";" of `rest` to the end of `field`. The ";"
// itself stays at the front of `rest`, which is empty when no ";" was left.
void NextField(std::string& rest, std::string& field);

// Removes the ";" at the front of `rest` before the next field is taken. Throws ScriptFailure
// when `rest` is empty: the line has fewer fields than its command needs.
void RemoveFieldSeparator(std::string& rest);

// True when the path rule puts `path` in the program's folder: it begins with "\".
bool IsInProgramFolder(const std::string& path);

// A path with "*" or "?" would act on files the line does not name (MKD, RMD, ERD, DEL): throws
// ScriptFailure, describing the refusal, for one.
void RejectWildcards(const std::string& path);

// A local path that begins with "\" lies in the program's folder: the result is `appPath`
// followed by the path, its backslash included. Only the first character is tested, so
// "\\server\share" is made relative too. Any other path is used as written, except one that
// begins with two separators ("\" or "/", in any mix; a command line's opening quote skipped):
// a device path ("//?/", "//./") escapes the system's checks on names, and a network path
// ("//host/share") reaches another computer with the user's credentials. Throws ScriptFailure,
// describing the refusal, for those.
std::string ApplyScriptPathRule(const std::string& appPath, const std::string& path);

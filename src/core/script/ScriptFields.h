#pragma once
// Splitting arguments into fields, and the script path rule.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Moves the characters in front of the first ";" of `rest` to the end of `field`. The ";"
// itself stays at the front of `rest`, which is empty when no ";" was left.
void NextField(std::string& rest, std::string& field);

// Removes the ";" at the front of `rest` before the next field is taken. Throws ScriptFailure
// when `rest` is empty: the line has fewer fields than its command needs.
void RemoveFieldSeparator(std::string& rest);

// The exact, case-sensitive prefix of a command line that asks to wait for the program.
inline constexpr std::string_view kWaitPrefix = "WAIT:";

// The most fields a command's argument is split into.
inline constexpr std::size_t kMostFields = 4;

// One field of an argument: its text and where it starts in the argument.
struct ArgumentField {
    std::string_view text;
    std::size_t offset = 0;

    std::size_t End() const { return offset + text.size(); }
};

// An argument's fields, viewing the argument's text (which must outlive them).
class ArgumentFields {
public:
    // The whole argument as one field: a command of one field takes its argument, ";" and all.
    static ArgumentFields Whole(std::string_view argument);

    // At most `count` (up to kMostFields) fields, as NextField and RemoveFieldSeparator take
    // them one after another: each ends before the next ";", and the next starts after it.
    // Fewer when the ";" run out: the last field then ends with the argument.
    static ArgumentFields Split(std::string_view argument, std::size_t count);

    std::size_t size() const { return count_; }
    const ArgumentField& operator[](std::size_t index) const { return fields_[index]; }

    // What follows field `index`: empty, or the ";" after it and the rest of the argument.
    std::string_view After(std::size_t index) const {
        return argument_.substr(fields_[index].End());
    }

    // Throws ScriptFailure, as RemoveFieldSeparator does, when there are fewer than `count`
    // fields: the line has fewer fields than its command needs.
    void Require(std::size_t count) const;

private:
    std::string_view argument_;
    std::array<ArgumentField, kMostFields> fields_{};
    std::size_t count_ = 0;
};

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

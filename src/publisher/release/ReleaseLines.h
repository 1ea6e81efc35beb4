#pragma once
// The lines of a script file as the updater takes them, for release to edit and write back
// byte for byte.

#include <string>
#include <vector>

// A file's lines without their CR LF, and whether the last one had a CR LF.
struct CrLfLines {
    std::vector<std::string> lines;
    bool lastLineEnded = false;
};

// Takes the lines of `text` with the updater's line taking. Throws std::runtime_error
// ("NAME:LINE: ...") at the first LF without a CR before it or CR without an LF after it:
// the updater would read those lines differently from what an editor shows.
CrLfLines SplitCrLfLines(const std::string& text, const std::string& name);

// The text of `lines`: each line followed by CR LF, the last only when `lastLineEnded`.
std::string JoinCrLfLines(const CrLfLines& lines);

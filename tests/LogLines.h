#pragma once
// The progress log as its lines: the recording windows of the test suites keep the log as one
// text, each appended message after a CR LF, as the real log does.

#include <string>
#include <vector>

#include "SplitText.h"

inline std::vector<std::string> SplitLogLines(const std::string& log) {
    const std::vector<std::string_view> lines = SplitText(log, "\r\n");
    return {lines.begin(), lines.end()};
}

#pragma once
// The progress log as its lines: the recording windows of the test suites keep the log as one
// text, each appended message after a CR LF, as the real log does.

#include <string>
#include <vector>

inline std::vector<std::string> SplitLogLines(const std::string& log) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = log.find("\r\n"); end != std::string::npos;
         end = log.find("\r\n", start)) {
        lines.push_back(log.substr(start, end - start));
        start = end + 2;
    }
    lines.push_back(log.substr(start));
    return lines;
}

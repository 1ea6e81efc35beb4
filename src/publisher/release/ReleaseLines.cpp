#include "publisher/release/ReleaseLines.h"

#include <algorithm>
#include <stdexcept>

#include "core/script/ScriptBuffer.h"

namespace {

void CheckLineEnds(const std::string& text, const std::string& name) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool loneLf = text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
        const bool loneCr = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
        if (loneLf || loneCr) {
            const auto line = std::count(text.begin(), text.begin() + static_cast<long>(i), '\n');
            throw std::runtime_error(name + ":" + std::to_string(line + 1) + ": a line ends with " +
                                     (loneLf ? "LF" : "CR") +
                                     " alone; script files need CR LF line ends");
        }
    }
}

}  // namespace

CrLfLines SplitCrLfLines(const std::string& text, const std::string& name) {
    CheckLineEnds(text, name);
    CrLfLines result;
    ScriptBuffer buffer;
    buffer.SetText(text);
    while (!buffer.IsEmpty()) {
        result.lines.push_back(buffer.TakeLine().text);
    }
    result.lastLineEnded = text.ends_with("\r\n");
    return result;
}

std::string JoinCrLfLines(const CrLfLines& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.lines.size(); ++i) {
        text += lines.lines[i];
        if (i + 1 < lines.lines.size() || lines.lastLineEnded)
            text += "\r\n";
    }
    return text;
}

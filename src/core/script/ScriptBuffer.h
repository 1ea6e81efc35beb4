#pragma once
// The script buffer: the script text still to be run. Loading appends to its end; the
// interpreter takes lines from its front. A read position marks the front, so taking every line
// of a long script costs time linear in its length.

#include <cstddef>
#include <string>
#include <string_view>

// One line taken from the front of the buffer.
struct TakenLine {
    std::string text;            // up to, not including, its CR
    bool endedByLoneCr = false;  // its CR was the buffer's last character: no LF followed
};

class ScriptBuffer {
public:
    bool IsEmpty() const { return position_ >= text_.size(); }

    // The text still to be run.
    std::string Text() const { return text_.substr(position_); }

    void SetText(std::string text);
    void Clear() { SetText({}); }
    void Append(std::string_view bytes);

    // Takes the next line: everything up to the first CR. The CR and the one character after
    // it (taken to be the LF) are dropped. Only a CR ends a line; the buffer must not be empty.
    TakenLine TakeLine();

private:
    std::string text_;
    std::size_t position_ = 0;
};

#include "core/script/ScriptBuffer.h"

void ScriptBuffer::SetText(std::string text) {
    text_ = std::move(text);
    position_ = 0;
}

void ScriptBuffer::Append(std::string_view bytes) {
    // Drop what has been run once it is most of the string, so that the memory held stays
    // proportional to what is left, at amortised linear cost.
    if (position_ > 0 && position_ >= text_.size() / 2) {
        text_.erase(0, position_);
        position_ = 0;
    }
    text_.append(bytes);
}

TakenLine ScriptBuffer::TakeLine() {
    TakenLine line;
    const std::size_t cr = text_.find('\r', position_);
    if (cr == std::string::npos) {
        line.text.assign(text_, position_);
        position_ = text_.size();
        return line;
    }
    line.text.assign(text_, position_, cr - position_);
    line.endedByLoneCr = cr + 1 == text_.size();
    position_ = line.endedByLoneCr ? text_.size() : cr + 2;
    return line;
}

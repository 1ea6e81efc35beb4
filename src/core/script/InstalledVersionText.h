#pragma once
// The installed version as VER sets it, dots included, and as CMV reads it: without its dots,
// tested for being a number. Removing the dots and testing once for each value set keeps a run
// linear: a long version followed by many CMV lines is not read again on every line.

#include <string>
#include <string_view>

class InstalledVersionText {
public:
    // A new value, to be checked afresh by the next CMV line.
    InstalledVersionText& operator=(std::string text);

    // The stored text: as set, or without its dots once a CMV line has read it.
    const std::string& Text() const { return text_; }

    bool operator==(std::string_view other) const { return text_ == other; }

    // What a CMV line does first: removes every "." from the stored text, which keeps the text
    // without dots, and tells whether what is left is a number (VersionNumbers.h). The work is
    // done once per value set; later calls return the remembered answer.
    bool RemoveDotsAndTestNumeric();

private:
    std::string text_;
    bool checked_ = false;  // the dots are gone and numeric_ holds the answer
    bool numeric_ = false;
};

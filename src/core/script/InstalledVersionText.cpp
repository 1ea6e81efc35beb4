#include "core/script/InstalledVersionText.h"

#include "core/script/VersionNumbers.h"

InstalledVersionText& InstalledVersionText::operator=(std::string text) {
    text_ = std::move(text);
    checked_ = false;
    return *this;
}

bool InstalledVersionText::RemoveDotsAndTestNumeric() {
    if (!checked_) {
        text_ = RemoveDots(text_);
        numeric_ = IsNumeric(text_);
        checked_ = true;
    }
    return numeric_;
}

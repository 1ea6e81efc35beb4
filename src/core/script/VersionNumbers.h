#pragma once
// Version texts as CMV compares them: dots removed, tested for being a number, then compared
// as texts, character code by character code (so 1.10 does not follow 1.9).

#include <string>
#include <string_view>

// `version` without any ".".
std::string RemoveDots(std::string_view version);

// True when the whole text reads as a whole number: optional blanks, an optional sign, one or
// more digits, optional blanks. Nothing depends on the user's locale.
bool IsNumeric(std::string_view text);

// True when `listed` sorts strictly after `installed`, comparing character codes from the left;
// a text that continues another sorts after it.
bool IsNewerVersion(std::string_view listed, std::string_view installed);

#pragma once
// The log line of a path that an update's undo could not restore, shown after a failed update
// and at the start that tries again.

#include <string>

#include "core/text/LanguageTexts.h"

// "RestoreFailedMessage": line breaks, then "%FILE%" with the path.
std::string RestoreFailedText(const LanguageTexts& texts, const std::string& path);

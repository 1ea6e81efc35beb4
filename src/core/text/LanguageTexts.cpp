#include "core/text/LanguageTexts.h"

#include "core/seam/ProgramHome.h"

std::string LanguageTexts::Text(const std::string& key) const {
    return home_.ReadIniString(filePath_, kLanguageSection, key);
}

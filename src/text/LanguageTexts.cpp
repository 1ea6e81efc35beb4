#include "text/LanguageTexts.h"

#include "app/UpdaterPlatform.h"

std::string LanguageTexts::Text(const std::string& key) const {
    return platform_.ReadIniString(filePath_, kLanguageSection, key);
}

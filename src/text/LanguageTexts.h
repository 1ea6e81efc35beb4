#pragma once
// The updater's own texts, looked up one key at a time in the language file beside the
// program: the section "Quillmere" of <program name>.lng. Nothing is cached, so a changed
// language file takes effect at the next lookup.

#include <string>

class UpdaterPlatform;

class LanguageTexts {
public:
    explicit LanguageTexts(UpdaterPlatform& platform) : platform_(platform) {}

    // Points the lookups at the language file; start-up calls it once AppPath is known.
    void SetFilePath(std::string path) { filePath_ = std::move(path); }
    const std::string& FilePath() const { return filePath_; }

    // The text of `key`, exactly as read (no placeholder replaced); empty when missing.
    std::string Text(const std::string& key) const;

private:
    UpdaterPlatform& platform_;
    std::string filePath_;
};

// The one section of the language file that the program reads.
inline constexpr const char* kLanguageSection = "Quillmere";

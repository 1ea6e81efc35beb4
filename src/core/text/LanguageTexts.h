#pragma once
// The updater's own texts, looked up one key at a time in the language file beside the
// program: the section "Quillmere" of <program name>.lng. Nothing is cached, so a changed
// language file takes effect at the next lookup.

#include <string>

class ProgramHome;

class LanguageTexts {
public:
    explicit LanguageTexts(ProgramHome& home) : home_(home) {}

    // Points the lookups at the language file; start-up calls it once AppPath is known.
    void SetFilePath(std::string path) { filePath_ = std::move(path); }

    // The text of `key`, exactly as read (no placeholder replaced); empty when missing, except
    // for the few keys with a built-in English text.
    std::string Text(const std::string& key) const;

private:
    ProgramHome& home_;
    std::string filePath_;
};

// The one section of the language file that the program reads.
inline constexpr const char* kLanguageSection = "Quillmere";

// The program's own files: "<program name>.lng" and "<program name>.cfg" beside it.
inline constexpr const char* kLanguageFileExtension = ".lng";
inline constexpr const char* kConfigurationFileExtension = ".cfg";

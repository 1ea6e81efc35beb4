#pragma once
// Module INIFiles: reading one value of an INI file.

#include <string>

// The value of `key` in `section` of the INI file `file`, as GetPrivateProfileStringA reads
// it (quotes and blanks as it treats them), cut to 1023 characters. The empty text when the
// file, section or key is missing. Never fails.
std::string ReadIniString(const std::string& file, const std::string& section,
                          const std::string& key);

#pragma once
// release's pins: the local files behind the served URLs (--map), and the sha256= field of each
// line of an update script whose command has one (the command table says which), written from
// those files.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/seam/Crypto.h"
#include "publisher/common/UrlMap.h"

// A line whose pin release wrote or checked.
struct ScriptPin {
    std::size_t lineNumber = 0;  // from 1
    std::string file;            // the local file the pin is the hash of
    std::string oldPin;          // the field before ("" when there was none)
    std::string newPin;          // "sha256=<hex>"
    bool changed = false;        // false when the old pin was already this digest
};

struct PinnedScript {
    std::string text;
    std::vector<ScriptPin> pins;
};

using FileHasher = std::function<Sha256Digest(const std::string& path)>;

// Writes the pin of every line of the update script `text` (named `name` in messages) whose
// command has a pin field: the SHA-256 of the local file its URL
// field maps to, from
// `hashFile` (which throws std::runtime_error when the file cannot be read). An existing pin is
// replaced, fields after it are kept, every other byte stays. Throws std::runtime_error listing
// every line that cannot be pinned ("NAME:LINE: ..."): no --map covers its URL, its file cannot
// be read, a field is missing, or the pin's place holds something else.
PinnedScript PinScript(const std::string& text, const std::string& name,
                       const std::vector<UrlMapping>& map, const FileHasher& hashFile);

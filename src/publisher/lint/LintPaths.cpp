// Where a path of a script line lands: the core's path rule and wildcards, whether it stays in
// the program's folder, and a key to compare paths as Windows does.

#include "publisher/lint/LintPaths.h"

#include "core/script/ScriptFailure.h"
#include "core/script/ScriptFields.h"
#include "core/text/AsciiCase.h"
#include "publisher/lint/FileLinter.h"

namespace {

// Where a path written after the script path rule's "\" leads: how far above the program's
// folder it climbs, and whether it ends in that folder or above it.
struct PathPlace {
    bool climbsAbove = false;    // a ".." leaves the program's folder on the way
    bool endsAtOrAbove = false;  // it names the program's folder itself or one above it
};

PathPlace PlaceInFolder(std::string_view path) {
    std::size_t depth = 0;
    PathPlace place;
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t end = at;
        while (end < path.size() && path[end] != '\\' && path[end] != '/') {
            ++end;
        }
        const std::string_view part = path.substr(at, end - at);
        at = end + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        if (part != "..") {
            ++depth;
        } else if (depth > 0) {
            --depth;
        } else {
            place.climbsAbove = true;
        }
    }
    place.endsAtOrAbove = depth == 0;
    return place;
}

}  // namespace

std::uint64_t PathKey(std::string_view path) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : path) {
        hash ^= static_cast<unsigned char>(c == '/' ? '\\' : LowerAscii(c));
        hash *= 0x100000001b3u;
    }
    return hash;
}

// True when the updater accepts the path; reports it otherwise.
bool FileLinter::CheckPathRule(const std::string& path, std::size_t offset) {
    if (IsInProgramFolder(path)) {
        return true;  // the rule refuses only paths it uses as written
    }
    try {
        ApplyScriptPathRule("C:\\Program", path);
        return true;
    } catch (const ScriptFailure& failure) {
        Error(offset, "bad-path",
              FailureSummary(failure) + ": " + QuoteContent(path) + "; the line fails");
        return false;
    }
}

void FileLinter::CheckWildcards(const std::string& path, std::size_t offset) {
    try {
        RejectWildcards(path);
    } catch (const ScriptFailure& failure) {
        Error(offset, "bad-path",
              FailureSummary(failure) + ": " + QuoteContent(path) + "; the line fails");
    }
}

// Where a line of `word` writes (a download) or erases (`erase`): the program's folder is where
// an update belongs.
void FileLinter::CheckTarget(const std::string& word, const std::string& path, std::size_t offset,
                             bool erase) {
    if (!IsInProgramFolder(path)) {
        const bool absolute = (path.size() >= 2 && path[1] == ':') || path.starts_with('/');
        Warning(offset, "outside-folder",
                word + " " +
                    (absolute ? "outside the program's folder: " + QuoteContent(path)
                              : QuoteContent(path) +
                                    " is relative to the updater's current folder, not the "
                                    "program's: begin it with \\ for the program's folder"));
        return;
    }
    const PathPlace place = PlaceInFolder(path);
    if (erase && place.endsAtOrAbove) {
        Error(offset, "erase-program-folder",
              word +
                  " of the program's folder or a folder above it: the updater refuses it with "
                  "EraseDirectoryError");
    } else if (!erase && place.endsAtOrAbove && !place.climbsAbove) {
        Error(offset, "missing-field", "the local file names the program's folder itself");
    } else if (place.climbsAbove) {
        Warning(offset, "above-folder",
                word + " above the program's folder: " + QuoteContent(path));
    }
}

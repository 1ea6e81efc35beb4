#include "core/text/LanguageTexts.h"

#include <array>
#include <string_view>
#include <utility>

#include "core/seam/ProgramHome.h"

namespace {

// Keys newer than most language files in use: their English text stands in for a missing or
// empty value, so the user never reads an empty line where a refusal is explained.
constexpr std::array<std::pair<std::string_view, std::string_view>, 13> kBuiltInTexts{{
    {"SignatureErrorMessage",
     "The update information is not signed by the software's publisher (%ERROR%). Nothing of "
     "it was used."},
    {"ChecksumErrorMessage",
     "The downloaded file is not the one the publisher released (its checksum differs). It was "
     "not saved."},
    {"FileInUseMessage",
     "The file %FILE% is in use and cannot be replaced.%CRLF%%CRLF%Close the program that uses "
     "it, then press Retry. Cancel stops the update and leaves the software as it was."},
    {"FileInUseByProgramMessage",
     "The file %FILE% is in use by %PROGRAM% and cannot be replaced.%CRLF%%CRLF%Close "
     "%PROGRAM%, then press Retry. Cancel stops the update and leaves the software as it was."},
    {"RestoreFailedMessage",
     "%FILE% could not be put back as it was before the update. Quillmere tries again when it "
     "next starts."},
    {"UpdateUndoneMessage",
     "An update that was interrupted has been undone: the software is as it was before it."},
    {"SwitchUnknownError",
     "Quillmere does not know the switch %SWITCH%.%CRLF%%CRLF%It knows /check, /update, /silent, "
     "/waitpid <process id> and /log <file>."},
    {"SwitchValueError",
     "The switch %SWITCH% needs a value: /waitpid the id of a process, /log the path of a file."},
    {"SwitchConflictError",
     "The switch %SWITCH% cannot be used with /check: a check only looks for a newer version."},
    {"ProgramStillRunningMessage",
     "The application (process %PROCESS%) is still running, and Quillmere cannot update it "
     "while it runs.%CRLF%%CRLF%Close it, then press Retry. Cancel ends Quillmere."},
    {"AlreadyRunningMessage",
     "Quillmere is already running for this software. Only one update can run at a time: wait "
     "until the other one has finished."},
    {"AdministratorRightsNeededMessage",
     "Updating this software needs administrator rights: Quillmere cannot write in its folder."},
    {"LogFileError", "Quillmere cannot write its log file %FILE%.%CRLF%%CRLF%%ERROR%"},
}};

}  // namespace

std::string LanguageTexts::Text(const std::string& key) const {
    std::string text = home_.ReadIniString(filePath_, kLanguageSection, key);
    if (text.empty()) {
        for (const auto& [builtInKey, builtInText] : kBuiltInTexts) {
            if (builtInKey == key) {
                text = builtInText;
            }
        }
    }
    return text;
}

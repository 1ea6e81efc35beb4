#pragma once
// The main window's state values: the texts that scripts set and the four flags that an update
// check run reads at its end. The window owns one of these for its whole life.

#include <cstdint>
#include <string>
#include <vector>

#include "core/seam/Crypto.h"

#include "core/script/InstalledVersionText.h"

struct UpdaterState {
    std::string AppPath;                    // the program's folder, without a trailing backslash
    std::string UpdateInfoUrl;              // set by ADR
    std::string VersionFilePath;            // set by LOC
    std::string SoftwareTitle;              // set by TIT
    InstalledVersionText InstalledVersion;  // set by VER; CMV keeps it without its dots
    // The publisher's keys, one per KEY line of the configuration file. With any, the update
    // information file must be signed by one of them and every download must be pinned.
    std::vector<P256PublicKey> TrustedKeys;

    // Flags hold 0 or 1 only.
    std::int16_t UpdateHandled = 0;    // a version was offered, or a command failed
    std::int16_t CloseAllowed = 0;     // the close rule: 0 while an update check runs
    std::int16_t ExitAfterUpdate = 0;  // an OFF line was met: close at the end of the run
    std::int16_t UpdateFailed = 0;     // a command failed

    // A check only (/check): every run skips the lines that act outside the updater, and CMV
    // notes a newer version instead of offering it.
    bool CheckOnly = false;
    bool NewerVersionListed = false;  // a check met a newer version that Update would offer
};

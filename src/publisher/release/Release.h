#pragma once
// release: one command per release. Pins the update script's files, appends the version's CMV
// line (with the script's pin) to the update information file and signs that file.

#include <iosfwd>

#include "core/seam/Clock.h"
#include "core/seam/Crypto.h"
#include "core/seam/P256Signer.h"
#include "publisher/common/CommandLine.h"
#include "publisher/common/ToolFileSystem.h"

// The options release takes (each with a value).
inline const std::vector<std::string> kReleaseOptions = {
    "--key",    "--feed",       "--url", "--version", "--description",
    "--script", "--script-url", "--map", "--expires"};

// Runs release with the options of `line`: checks everything first and writes nothing when a
// check fails; then writes the script (when a pin changed), the feed and FEED.sig, each with
// WriteAtomically over `files`, and reports each step to `out`. Returns kExitOk. Throws
// UsageError for a wrong command line, std::runtime_error for a refusal.
int RunRelease(const CommandLine& line, Crypto& crypto, P256Signer& signer, Clock& clock,
               ToolFileSystem& files, std::ostream& out);

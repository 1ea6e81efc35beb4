#pragma once
// quillmere-publish: the publisher's commands (keygen, sign, hash, verify, lint, simulate,
// release), portable over the crypto seam, the signing extension and the tool's file calls; each
// build's entry point passes its backend.

#include <iosfwd>
#include <string>
#include <vector>

#include "core/seam/Clock.h"
#include "core/seam/Crypto.h"
#include "core/seam/P256Signer.h"
#include "publisher/common/CommandLine.h"
#include "publisher/common/ToolFileSystem.h"
#include "publisher/simulate/SimulateCommand.h"

// Runs the command in `arguments` (without the program name), writing results to `out` and
// errors and usage to `err`; every file it writes goes through `files`. Returns kExitOk,
// kExitRefused (the command could not be done, or a feed does not verify) or kExitUsage (the
// command line is wrong). `simulator` runs simulate; a build without one (no Windows side) answers
// simulate with exit status 2. Never throws.
int RunPublisherTool(const std::vector<std::string>& arguments, Crypto& crypto, P256Signer& signer,
                     Clock& clock, ToolFileSystem& files, std::ostream& out, std::ostream& err,
                     const Simulator& simulator = {});

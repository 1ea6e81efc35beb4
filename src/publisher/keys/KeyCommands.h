#pragma once
// The key family's commands: keygen, sign, hash and verify. Each takes its parsed command line
// and only the roles it uses, and returns the tool's exit status; a refusal throws
// std::runtime_error, a wrong command line UsageError.

#include <iosfwd>

#include "core/seam/Clock.h"
#include "core/seam/Crypto.h"
#include "core/seam/P256Signer.h"
#include "publisher/common/CommandLine.h"
#include "publisher/common/ToolFileSystem.h"

// keygen KEYFILE: a new key in a new owner-only file; prints its KEY line.
int RunKeygen(const CommandLine& line, P256Signer& signer, ToolFileSystem& files,
              std::ostream& out);

// sign --key KEYFILE --url URL --expires DAYS|DATE FEED: writes FEED.sig.
int RunSign(const CommandLine& line, Crypto& crypto, P256Signer& signer, Clock& clock,
            ToolFileSystem& files, std::ostream& out);

// hash FILE...: prints each file's sha256= pin.
int RunHash(const CommandLine& line, Crypto& crypto, std::ostream& out);

// verify --key-line "KEY ..." [--key-line ...] --url URL FEED: checks FEED.sig as the updater
// does; kExitRefused, with the reason on `err`, when it does not hold.
int RunVerify(const CommandLine& line, Crypto& crypto, Clock& clock, std::ostream& out,
              std::ostream& err);

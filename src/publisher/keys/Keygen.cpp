// keygen: a new P-256 key, written where no one else can read it.

#include "publisher/keys/KeyCommands.h"

#include <ostream>
#include <stdexcept>

#include "core/crypto/KeyLine.h"
#include "core/crypto/PrivateKeyPem.h"

namespace {

// Writes `pem` to the new file `path`, readable by the current user alone from its first byte.
// Throws std::runtime_error when anything stands at `path` or the write fails.
void WriteNewKeyFile(ToolFileSystem& files, const std::string& path, std::string_view pem) {
    NewFileOutcome outcome;
    try {
        outcome = files.CreateNewFile(path, pem, FileAccess::kOwnerOnly);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error("cannot write " + path + ": " + error.what());
    }
    if (outcome == NewFileOutcome::kExists)
        throw std::runtime_error(path + " exists already; keygen never overwrites a key");
    if (outcome == NewFileOutcome::kSymbolicLink)
        throw std::runtime_error(path +
                                 " is a symbolic link; keygen writes a key only to a new file");
}

}  // namespace

// keygen KEYFILE
int RunKeygen(const CommandLine& line, P256Signer& signer, ToolFileSystem& files,
              std::ostream& out) {
    if (line.operands.size() != 1 || !line.options.empty())
        throw UsageError("keygen KEYFILE");
    const P256KeyPair key = signer.GenerateP256();
    WriteNewKeyFile(files, line.operands[0], EncodePrivateKeyPem(key));
    out << FormatKeyLine(key.publicKey) << "\n";
    return kExitOk;
}

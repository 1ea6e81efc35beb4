// hash: the sha256= pin of each file.

#include "publisher/keys/KeyCommands.h"

#include <ostream>

#include "core/script/PinField.h"
#include "publisher/common/ToolFiles.h"

// hash FILE...
int RunHash(const CommandLine& line, Crypto& crypto, std::ostream& out) {
    if (line.operands.empty() || !line.options.empty())
        throw UsageError("hash FILE...");
    for (const std::string& path : line.operands) {
        out << FormatPinField(Sha256OfFile(crypto, path));
        out << (line.operands.size() > 1 ? "  " + path : std::string()) << "\n";
    }
    return kExitOk;
}

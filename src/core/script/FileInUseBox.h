#pragma once
// The box that asks the user to close a program holding a file that an update must rename
// aside: Retry tries again, Cancel gives up and the update is undone.

#include "core/script/ScriptInterpreter.h"
#include "core/transaction/UpdateTransaction.h"

class FileInUseBox final : public InUsePrompt {
public:
    explicit FileInUseBox(ScriptInterpreter& interpreter) : interpreter_(interpreter) {}

    // "FileInUseByProgramMessage" when the system names the program, "FileInUseMessage"
    // otherwise: line breaks, then the file, then the program.
    bool RetryInUse(const std::string& path) override;

private:
    ScriptInterpreter& interpreter_;
};

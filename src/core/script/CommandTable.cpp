#include "core/script/CommandTable.h"

const CommandSpec* FindCommand(std::string_view word) {
    for (const CommandSpec& command : kCommandTable) {
        if (command.word == word) {
            return &command;
        }
    }
    return nullptr;
}

const CommandSpec* FindLineCommand(std::string_view line) {
    return FindCommand(line.substr(0, kCommandLength));
}

#include "core/script/CommandTable.h"

const CommandRow* FindCommand(std::string_view word) {
    for (const CommandRow& command : kCommandTable) {
        if (command.word == word) {
            return &command;
        }
    }
    return nullptr;
}

const CommandRow* FindLineCommand(std::string_view line) {
    return FindCommand(line.substr(0, kCommandLength));
}

#include "core/script/CommandTable.h"

bool IsCommandWord(std::string_view word) {
    for (const Command& entry : kCommandTable) {
        if (entry.word == word) {
            return true;
        }
    }
    return false;
}

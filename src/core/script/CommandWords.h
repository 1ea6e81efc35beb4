#pragma once
// The words of some of the table's commands as a text lists them, for messages and usage texts
// that name commands by what the table says of them.

#include <string>
#include <string_view>
#include <vector>

#include "core/script/CommandTable.h"

// The words of the commands `matches` holds for, in the table's order: "CMV", "CMV or DWN",
// "MKD, RMD or DEL", with `conjunction` between the last two.
template <typename Test>
std::string CommandWords(const Test& matches, std::string_view conjunction = "or") {
    std::vector<std::string_view> words;
    for (const CommandRow& command : kCommandTable) {
        if (matches(command)) {
            words.push_back(command.word);
        }
    }
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) {
            text += i + 1 == words.size() ? " " + std::string(conjunction) + " " : ", ";
        }
        text += words[i];
    }
    return text;
}

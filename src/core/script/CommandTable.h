#pragma once
// The command table: each command word and its handler, tested in order; the first match wins.
// Matching is exact and case-sensitive. The interpreter's loop knows the table, not the commands.

#include <array>
#include <string_view>

#include "core/script/Commands.h"

using CommandHandler = LineOutcome (*)(ScriptInterpreter&, ScriptRun&);

struct Command {
    std::string_view word;
    CommandHandler handler;
};

inline constexpr std::array<Command, 14> kCommandTable{{
    {"ADR", RunAdr},
    {"LOC", RunLoc},
    {"TIT", RunTit},
    {"VER", RunVer},
    {"CMV", RunCmv},
    {"OFF", RunOff},
    {"MKD", RunMkd},
    {"RMD", RunRmd},
    {"EXE", RunExe},
    {"ERD", RunErd},
    {"DEL", RunDel},
    {"MSG", RunMsg},
    {"DWN", RunDwn},
    {"KEY", RunKey},
}};

// True when `word` is one of the table's words (as the loop matches a line's first three
// characters). In a file of its own, so that only programs that ask for it link it.
bool IsCommandWord(std::string_view word);

#pragma once
// The command table: the one description of the script language. Each row is a command (its
// word, its handler, its fields and the rules of its lines: CommandRow.h), tested in order; the
// first match wins. Matching is exact and case-sensitive. The interpreter's loop knows the
// table, not the commands; lint and release read their checks and pins from it.

#include <array>
#include <string_view>

#include "core/script/CommandRow.h"
#include "core/script/Commands.h"

inline constexpr auto kCommandTable = std::to_array<CommandRow>({
    {.word = "ADR",
     .handler = RunAdr,
     .fields = {{FieldKind::UpdateInformationUrl, "URL"}},
     .usualIn = {FileKind::Config}},
    {.word = "LOC",
     .handler = RunLoc,
     .fields = {{FieldKind::VersionFile, "version file"}},
     .usualIn = {FileKind::Config}},
    {.word = "TIT",
     .handler = RunTit,
     .fields = {{FieldKind::Text, "title"}},
     .usualIn = {FileKind::Config},
     .argument = ArgumentUse::Optional},
    {.word = "VER",
     .handler = RunVer,
     .fields = {{FieldKind::InstalledVersion, "version"}},
     .usualIn = {FileKind::Version, FileKind::Script}},
    {.word = "CMV",
     .handler = RunCmv,
     .fields = {{FieldKind::ListedVersion, "version"},
                {FieldKind::Description, "description"},
                {FieldKind::UpdateScriptUrl, "script URL"},
                {FieldKind::Pin, "pin"}},
     .usualIn = {FileKind::Feed},
     .armsTrap = true},
    {.word = "OFF",
     .handler = RunOff,
     .usualIn = {FileKind::Feed, FileKind::Script},
     .argument = ArgumentUse::Ignored,
     .endsRun = true},
    {.word = "MKD",
     .handler = RunMkd,
     .fields = {{FieldKind::TargetPath, "folder"}},
     .usualIn = {FileKind::Script},
     .armsTrap = true,
     .actsOutside = true},
    {.word = "RMD",
     .handler = RunRmd,
     .fields = {{FieldKind::TargetPath, "folder"}},
     .usualIn = {FileKind::Script},
     .armsTrap = true,
     .actsOutside = true},
    {.word = "EXE",
     .handler = RunExe,
     .fields = {{FieldKind::CommandLine, "command line"}},
     .usualIn = {FileKind::Script},
     .actsOutside = true},
    {.word = "ERD",
     .handler = RunErd,
     .fields = {{FieldKind::ErasedFolder, "folder"}},
     .usualIn = {FileKind::Script},
     .argument = ArgumentUse::Optional,
     .actsOutside = true},
    {.word = "DEL",
     .handler = RunDel,
     .fields = {{FieldKind::TargetPath, "file"}},
     .usualIn = {FileKind::Script},
     .armsTrap = true,
     .actsOutside = true},
    {.word = "MSG",
     .handler = RunMsg,
     .fields = {{FieldKind::Message, "text"}},
     .usualIn = {FileKind::Script},
     .argument = ArgumentUse::Optional,
     .actsOutside = true},
    {.word = "DWN",
     .handler = RunDwn,
     .fields = {{FieldKind::DownloadUrl, "URL"},
                {FieldKind::DownloadedFile, "local file"},
                {FieldKind::Pin, "pin"}},
     .usualIn = {FileKind::Script},
     .armsTrap = true,
     .actsOutside = true},
    {.word = "KEY",
     .handler = RunKey,
     .fields = {{FieldKind::PublicKey, "key"}},
     .usualIn = {FileKind::Config},
     .configurationOnly = true},
});

static_assert([] {
    for (const CommandRow& command : kCommandTable) {
        if (!IsWellFormed(command)) {
            return false;
        }
    }
    return true;
}());

// The first command of the table whose word is `word`; nullptr when none is.
const CommandRow* FindCommand(std::string_view word);

// The command of a script line: the one its first kCommandLength characters name, as the
// interpreter's loop looks it up.
const CommandRow* FindLineCommand(std::string_view line);

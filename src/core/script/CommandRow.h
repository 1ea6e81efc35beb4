#pragma once
// The description of one script command: its word and handler, the fields of its argument and
// what each field is, and the rules around its lines (whether it needs an argument, whether it
// arms the failure trap, in which kinds of file it is usual). The command table (CommandTable.h)
// holds one for each command; the interpreter's loop, lint and release read it there.

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string_view>

#include "core/script/ScriptFields.h"
#include "core/script/ScriptInterpreter.h"

// A command word's length: the loop looks up a line's first three characters.
inline constexpr std::size_t kCommandLength = 3;

using CommandHandler = LineOutcome (*)(ScriptInterpreter&, ScriptRun&);

// What one field of an argument is: how the updater uses it, which tells lint how to check it
// and release which field to pin.
enum class FieldKind {
    UpdateInformationUrl,  // where the update information file is downloaded from
    VersionFile,           // the version file's path, after the script path rule
    Text,                  // free text, used as written
    InstalledVersion,      // the installed version, dots included
    ListedVersion,         // a version offered as an update, compared without its dots
    Description,           // text shown with "%CRLF%" as line breaks and "%PTV%" as ";"
    UpdateScriptUrl,       // where the offered version's update script is downloaded from
    Pin,                   // "sha256=<hex>" of the file downloaded from the line's URL
    TargetPath,            // a file or folder the line makes or removes: no wildcards
    ErasedFolder,          // a folder erased with all it holds: a "\" added, no wildcards
    CommandLine,           // a program and its arguments, after an optional "WAIT:"
    Message,               // text shown in a box, "%CRLF%" as line breaks
    DownloadUrl,           // where a file is downloaded from
    DownloadedFile,        // the local file a download writes, after the script path rule
    PublicKey,             // the base64 of a publisher's P-256 public key
};

// True for the URLs a line downloads from.
constexpr bool IsUrl(FieldKind kind) {
    return kind == FieldKind::UpdateInformationUrl || kind == FieldKind::UpdateScriptUrl ||
           kind == FieldKind::DownloadUrl;
}

struct FieldDescription {
    FieldKind kind = FieldKind::Text;
    std::string_view name;  // as lint's messages name it ("local file", "script URL")
};

// A command's fields, in order: at most kMostFields. A pin may only come last, and a line may
// end before it.
class FieldList {
public:
    constexpr FieldList() = default;
    constexpr FieldList(std::initializer_list<FieldDescription> fields) {
        for (const FieldDescription& field : fields) {
            fields_[count_++] = field;  // past kMostFields: not a constant expression
        }
    }

    constexpr std::size_t size() const { return count_; }
    constexpr const FieldDescription& operator[](std::size_t index) const { return fields_[index]; }
    constexpr const FieldDescription* begin() const { return fields_.data(); }
    constexpr const FieldDescription* end() const { return fields_.data() + count_; }

    // How many fields a line must have: all but a last pin.
    constexpr std::size_t Required() const {
        return count_ > 0 && fields_[count_ - 1].kind == FieldKind::Pin ? count_ - 1 : count_;
    }

    // The index of the first field of `kind`; size() when there is none.
    constexpr std::size_t IndexOf(FieldKind kind) const {
        std::size_t index = 0;
        while (index < count_ && fields_[index].kind != kind) {
            ++index;
        }
        return index;
    }
    constexpr bool Has(FieldKind kind) const { return IndexOf(kind) < count_; }

private:
    std::array<FieldDescription, kMostFields> fields_{};
    std::size_t count_ = 0;
};

// The kinds of file the updater runs: the configuration file, the version file, the update
// information file (the feed) and update scripts.
enum class FileKind { Config, Version, Feed, Script };

// A set of file kinds.
class FileKinds {
public:
    constexpr FileKinds() = default;
    constexpr FileKinds(std::initializer_list<FileKind> kinds) {
        for (const FileKind kind : kinds) {
            bits_ |= Bit(kind);
        }
    }

    constexpr bool Has(FileKind kind) const { return (bits_ & Bit(kind)) != 0; }
    constexpr bool Only(FileKind kind) const { return bits_ == Bit(kind); }

private:
    static constexpr unsigned Bit(FileKind kind) { return 1u << static_cast<unsigned>(kind); }

    unsigned bits_ = 0;
};

// What a command does with its argument.
enum class ArgumentUse {
    Required,  // the line does nothing useful without one: lint reports an empty one
    Optional,  // an empty argument is a value like any other
    Ignored,   // never read: the line may have none
};

struct CommandRow {
    std::string_view word;  // kCommandLength characters, matched exactly and case-sensitively
    CommandHandler handler;
    FieldList fields = {};   // one field takes the whole argument; several are split at ";"
    FileKinds usualIn = {};  // where lint expects it; anywhere else it warns
    ArgumentUse argument = ArgumentUse::Required;
    bool armsTrap = false;           // the handler arms the failure trap before anything else
    bool configurationOnly = false;  // counts only in the configuration file: anywhere else the
                                     // line fails, the trap armed
    bool endsRun = false;            // the run takes no line after it
    bool actsOutside = false;        // the line changes files, starts a program or shows a box:
                                     // a run that only checks for a newer version skips it

    // True when a line of this command arms the trap in a run of `kind`.
    constexpr bool ArmsTrapIn(RunKind kind) const {
        return armsTrap || (configurationOnly && kind != RunKind::Configuration);
    }

    // `argument`'s fields as this command takes them: all of it as its one field, or up to
    // fields.size() fields split at ";" (ArgumentFields::Split).
    ArgumentFields Split(std::string_view argument) const {
        return fields.size() == 1 ? ArgumentFields::Whole(argument)
                                  : ArgumentFields::Split(argument, fields.size());
    }
};

// A row the rest of the program can rely on: a word of kCommandLength characters, and a pin
// only as the last of several fields, after the URL whose file it pins.
constexpr bool IsWellFormed(const CommandRow& command) {
    const FieldList& fields = command.fields;
    const std::size_t pin = fields.IndexOf(FieldKind::Pin);
    bool urlBeforePin = false;
    for (std::size_t index = 0; index < pin && index < fields.size(); ++index) {
        urlBeforePin = urlBeforePin || IsUrl(fields[index].kind);
    }
    return command.word.size() == kCommandLength &&
           (pin == fields.size() || (pin + 1 == fields.size() && urlBeforePin));
}

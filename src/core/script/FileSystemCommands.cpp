// File-system commands: MKD, RMD, ERD and DEL. Each tests whether its target is there, does
// nothing when the test says so, and otherwise logs a message, lets the window redraw,
// performs the operation and logs a second message. None of their texts is rewritten.

#include "core/script/Commands.h"
#include "core/script/ScriptFailure.h"
#include "core/script/ScriptFields.h"
#include "core/text/AsciiCase.h"
#include "core/text/ReadableLength.h"

namespace {

// The full path of the line's argument, after the script path rule.
std::string TargetPath(ScriptInterpreter& interpreter, const std::string& argument) {
    std::string path = interpreter.FullPath(argument);
    RejectWildcards(path);
    return path;
}

// Folder paths as Windows compares them: letters without regard to case, one trailing "\".
std::string ComparableFolder(const std::string& folder) {
    std::string path = LowerAscii(folder);
    if (path.empty() || path.back() != '\\') {
        path += '\\';
    }
    return path;
}

// True when erasing `folder` would erase the updater's own folder: it is that folder or a
// folder above it, compared by what they are (a link to either counts as either). A folder
// that is not there erases nothing.
bool HoldsUpdaterFolder(ScriptInterpreter& interpreter, const std::string& folder) {
    FileSystem& files = interpreter.Files();
    const std::string target = files.FinalPath(folder);
    if (target.empty()) {
        return false;
    }
    const std::string updater = files.FinalPath(interpreter.State().AppPath + '\\');
    return updater.empty() || ComparableFolder(updater).starts_with(ComparableFolder(target));
}

// Logs `key`, then lets the window redraw before the operation starts.
void LogBeforeOperation(ScriptInterpreter& interpreter, const char* key) {
    interpreter.Window().AppendLog(interpreter.Text(key));
    interpreter.Window().ProcessPendingEvents();
}

// The operations, each through the update script's transaction when one runs (so that it can
// be undone), directly otherwise. Each throws on failure.
void MakeFolder(ScriptInterpreter& interpreter, const std::string& path) {
    if (UpdateTransaction* transaction = interpreter.Transaction()) {
        transaction->MakeFolder(path);
    } else {
        interpreter.Files().MakeFolder(path);
    }
}

void RemoveEmptyFolder(ScriptInterpreter& interpreter, const std::string& path) {
    if (UpdateTransaction* transaction = interpreter.Transaction()) {
        transaction->RemoveEmptyFolder(path);
    } else {
        interpreter.Files().RemoveEmptyFolder(path);
    }
}

void DeleteOneFile(ScriptInterpreter& interpreter, const std::string& path) {
    if (UpdateTransaction* transaction = interpreter.Transaction()) {
        transaction->RemoveFile(path);
    } else {
        interpreter.Files().ResetAttributesAndDelete(path);
    }
}

// True when the folder is gone (into the transaction's aside copy, or erased).
bool EraseFolder(ScriptInterpreter& interpreter, const std::string& folder) {
    UpdateTransaction* transaction = interpreter.Transaction();
    if (transaction == nullptr) {
        return interpreter.Files().EraseDirectory(folder);
    }
    try {
        transaction->EraseFolder(folder);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The shape MKD, RMD and DEL share. The line arms the trap; its path is tested with `exists`;
// when the test says there is something to do (`actWhenFound` tells which answer that is), the
// line logs `beforeKey`, performs `operation`, which throws on failure, and logs `afterKey`.
struct FileOperation {
    bool (FileSystem::*exists)(const std::string&);
    bool actWhenFound;
    const char* beforeKey;
    void (*operation)(ScriptInterpreter&, const std::string&);
    const char* afterKey;
};

LineOutcome RunFileOperation(ScriptInterpreter& interpreter, ScriptRun& run,
                             const FileOperation& command) {
    run.ArmTrap();
    const std::string path = TargetPath(interpreter, run.Argument());
    FileSystem& files = interpreter.Files();
    if ((files.*command.exists)(path) != command.actWhenFound) {
        return LineOutcome::Finished;
    }
    LogBeforeOperation(interpreter, command.beforeKey);
    command.operation(interpreter, path);
    interpreter.Window().AppendLog(interpreter.Text(command.afterKey));
    return LineOutcome::Finished;
}

}  // namespace

// MKD <folder>: creates the folder (its last element only) unless something visible is there.
LineOutcome RunMkd(ScriptInterpreter& interpreter, ScriptRun& run) {
    return RunFileOperation(interpreter, run,
                            {&FileSystem::VisibleEntryExists, false, "CreateDirectory",
                             &MakeFolder, "DirectoryCreated"});
}

// RMD <folder>: removes the folder, which must be empty, if it is there.
LineOutcome RunRmd(ScriptInterpreter& interpreter, ScriptRun& run) {
    return RunFileOperation(interpreter, run,
                            {&FileSystem::VisibleEntryExists, true, "DeleteMessage",
                             &RemoveEmptyFolder, "EndDeleteMessage"});
}

// ERD <folder>: erases the folder with everything in it. Does not arm the failure trap.
LineOutcome RunErd(ScriptInterpreter& interpreter, ScriptRun& run) {
    std::string argument = run.Argument();
    if (argument.empty() || argument.back() != '\\') {
        argument += '\\';
    }
    const std::string path = TargetPath(interpreter, argument);
    // The updater's own folder (an empty argument, "\", or any other way of naming it or a
    // folder above it) holds the running program and the software it updates: the erase could
    // only fail part way, after removing some of them.
    if (HoldsUpdaterFolder(interpreter, path)) {
        return interpreter.ReportCommandError(run, interpreter.Text("EraseDirectoryError"));
    }
    // With its trailing "\" the test looks inside the folder.
    if (!interpreter.Files().VisibleEntryExists(path)) {
        return LineOutcome::Finished;
    }
    LogBeforeOperation(interpreter, "DeleteMessage");
    if (!EraseFolder(interpreter, path)) {
        return interpreter.ReportCommandError(run, interpreter.Text("EraseDirectoryError"));
    }
    interpreter.Window().AppendLog(interpreter.Text("EndDeleteMessage"));
    return LineOutcome::Finished;
}

// DEL <file>: deletes the file, whatever its attributes, if it is there.
LineOutcome RunDel(ScriptInterpreter& interpreter, ScriptRun& run) {
    return RunFileOperation(interpreter, run,
                            {&FileSystem::AnyFileExists, true, "DeleteMessage",
                             &DeleteOneFile, "EndDeleteMessage"});
}

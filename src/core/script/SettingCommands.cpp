// Setting commands: each sets one window state value from its argument. None of them writes to
// the log or shows anything.

#include "core/script/Commands.h"

// ADR <url of the update information file>
LineOutcome RunAdr(ScriptInterpreter& interpreter, ScriptRun& run) {
    interpreter.State().UpdateInfoUrl = run.Argument();
    return LineOutcome::Finished;
}

// LOC <path of the version file>
LineOutcome RunLoc(ScriptInterpreter& interpreter, ScriptRun& run) {
    interpreter.State().VersionFilePath = interpreter.FullPath(run.Argument());
    return LineOutcome::Finished;
}

// TIT <title of the software>
LineOutcome RunTit(ScriptInterpreter& interpreter, ScriptRun& run) {
    interpreter.State().SoftwareTitle = run.Argument();
    return LineOutcome::Finished;
}

// VER <installed version, dots included>
LineOutcome RunVer(ScriptInterpreter& interpreter, ScriptRun& run) {
    interpreter.State().InstalledVersion = run.Argument();
    return LineOutcome::Finished;
}

// OFF [ignored]: close the updater at the end of this update check; ends the run at once.
LineOutcome RunOff(ScriptInterpreter& interpreter, ScriptRun&) {
    interpreter.State().ExitAfterUpdate = 1;
    return LineOutcome::EndRun;
}

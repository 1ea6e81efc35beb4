#pragma once
// The handlers of the script commands, one family per file. Each takes the interpreter and the
// run of its line and tells the loop whether to go on.

#include "core/script/ScriptInterpreter.h"

// Setting commands (SettingCommands.cpp)
LineOutcome RunAdr(ScriptInterpreter& interpreter, ScriptRun& run);
LineOutcome RunLoc(ScriptInterpreter& interpreter, ScriptRun& run);
LineOutcome RunTit(ScriptInterpreter& interpreter, ScriptRun& run);
LineOutcome RunVer(ScriptInterpreter& interpreter, ScriptRun& run);
LineOutcome RunOff(ScriptInterpreter& interpreter, ScriptRun& run);
LineOutcome RunKey(ScriptInterpreter& interpreter, ScriptRun& run);

// Version comparison and update offer (UpdateOffer.cpp)
LineOutcome RunCmv(ScriptInterpreter& interpreter, ScriptRun& run);

// File-system commands (FileSystemCommands.cpp)
LineOutcome RunMkd(ScriptInterpreter& interpreter, ScriptRun& run);
LineOutcome RunRmd(ScriptInterpreter& interpreter, ScriptRun& run);
LineOutcome RunErd(ScriptInterpreter& interpreter, ScriptRun& run);
LineOutcome RunDel(ScriptInterpreter& interpreter, ScriptRun& run);

// Program, message and download commands (ProgramCommands.cpp)
LineOutcome RunExe(ScriptInterpreter& interpreter, ScriptRun& run);
LineOutcome RunMsg(ScriptInterpreter& interpreter, ScriptRun& run);
LineOutcome RunDwn(ScriptInterpreter& interpreter, ScriptRun& run);

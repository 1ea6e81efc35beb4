// Setting commands: each sets one window state value from its argument. None of them writes to
// the log or shows anything.

#include "core/crypto/KeyLine.h"
#include "core/script/Commands.h"
#include "core/script/ScriptFailure.h"

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

// KEY <base64 of the DER public key>: trusts one more publisher's key. Only the configuration
// file may name one: a downloaded file that could would sign itself.
LineOutcome RunKey(ScriptInterpreter& interpreter, ScriptRun& run) {
    if (run.Kind() != RunKind::Configuration) {
        run.ArmTrap();  // reported as this line's failure, even inside an update script
        throw ScriptFailure(
            "A KEY line counts only in the configuration file: a downloaded file cannot name the "
            "keys it is checked with.");
    }
    std::string reason;
    const std::optional<P256PublicKey> key = ParseKeyLine(run.Argument(), reason);
    if (!key) {
        throw ScriptFailure("The publisher's key cannot be used: " + reason + ".");
    }
    if (!interpreter.Cryptography().IsP256PublicKey(*key)) {
        throw ScriptFailure(
            "The publisher's key cannot be used: its point is not on the P-256 curve, so it "
            "could verify no signature.");
    }
    interpreter.State().TrustedKeys.push_back(*key);
    return LineOutcome::Finished;
}

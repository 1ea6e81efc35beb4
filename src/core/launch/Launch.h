#pragma once
// One start of quillmere.exe as its command line asks: the steps before the updater starts
// (the log file, the command line's faults, /waitpid, the folder's guard), the unattended runs
// of /check and /silent, and, for a person, whether Update must first restart the program
// with administrator rights.

#include <memory>
#include <optional>
#include <string>

#include "core/launch/AnsweringWindow.h"
#include "core/launch/LaunchOptions.h"
#include "core/launch/LoggedWindow.h"
#include "core/seam/LaunchSystem.h"
#include "core/seam/ProgramHome.h"
#include "core/seam/UpdaterPlatform.h"
#include "core/seam/UpdaterWindow.h"
#include "core/text/LanguageTexts.h"

class Launch {
public:
    // `plain` shows what a person sees: the main window, or under /check and /silent a window
    // that shows nothing. All three outlive the launch.
    Launch(ParsedCommandLine commandLine, UpdaterWindow& plain, LaunchSystem& system,
           ProgramHome& home);
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    const LaunchOptions& Options() const { return commandLine_.options; }

    // The window the updater and the launch's own boxes use: `plain`, each line and box copied
    // to the log file, and under /check and /silent every box answered instead of shown.
    UpdaterWindow& Window() { return logged_; }

    // The steps before the updater starts: opens the log file, refuses a faulty command line,
    // waits for /waitpid's process and takes the folder's guard. The exit code when the program
    // ends here.
    std::optional<int> Prepare();

    // /check or /silent, from start-up to the exit code.
    int RunUnattended(const UpdaterPlatform& platform);

    // True when Update must first start Quillmere again with administrator rights: the
    // program's folder cannot be written, this process is not elevated and was not started
    // again for that already. Checked once, at the first call.
    bool UpdateNeedsElevation();

    // Update pressed while UpdateNeedsElevation: starts Quillmere again elevated with /update.
    // True when it started (this instance must close); otherwise the log says why not.
    bool RelaunchElevated();

private:
    std::optional<int> RefuseCommandLine();
    std::optional<int> WaitForCallingProcess();
    std::optional<int> TakeFolderGuard();
    int ShowAndExit(const std::string& text, int exitCode);

    ParsedCommandLine commandLine_;
    LaunchSystem& system_;
    LanguageTexts texts_;
    std::string appPath_;
    std::unique_ptr<AnsweringWindow> answering_;  // under /check and /silent
    LoggedWindow logged_;                         // over answering_, or over the plain window
    std::optional<bool> needsElevation_;
};

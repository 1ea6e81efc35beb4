#pragma once
// The command line of quillmere.exe: what an application, a script or a scheduled task asks
// for when it starts the updater. Without switches the program is what a person opens and
// drives with the Update button.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct LaunchOptions {
    bool check = false;       // /check: report whether a newer version is listed, nothing more
    bool update = false;      // /update: start the update check at once, as if Update was pressed
    bool silent = false;      // /silent: update with no window and no box
    bool relaunched = false;  // /relaunched: started again by Quillmere with administrator
                              // rights, which it never asks for a second time
    std::optional<std::uint32_t> waitProcessId;  // /waitpid N: wait for process N to end first
    std::optional<std::string> logFile;          // /log FILE: every log line and box, stamped

    // No window and no box: nobody is there to answer.
    bool Unattended() const { return check || silent; }
};

// What is wrong with a command line, and the switch it is about as it was written.
struct CommandLineError {
    enum class Kind {
        UnknownSwitch,  // not a switch Quillmere knows, or not a switch at all
        BadValue,       // a switch whose value is missing or is not what it takes
        Conflict,       // a switch that cannot go with one given before it
    };
    Kind kind = Kind::UnknownSwitch;
    std::string argument;
};

struct ParsedCommandLine {
    LaunchOptions options;  // every switch understood, those after a faulty one included
    std::optional<CommandLineError> error;  // the first fault
};

// Reads the arguments that follow the program's name. Switches start with "/" or "-" and are
// compared without regard to ASCII case; /waitpid and /log take the next argument as their
// value.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The arguments of the elevated restart that Update asks for: /update, /relaunched, a wait for
// this process (which closes once the new one has started, and holds the folder's guard until
// then), and the same /log.
std::vector<std::string> ElevatedRelaunchArguments(const LaunchOptions& options,
                                                   std::uint32_t ownProcessId);

// The arguments as one command line, each quoted where the system's splitting needs it.
std::string JoinCommandLine(const std::vector<std::string>& arguments);

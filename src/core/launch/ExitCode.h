#pragma once
// The exit codes of quillmere.exe, which applications and scheduled tasks read.

namespace ExitCode {
inline constexpr int Success = 0;          // up to date, or updated
inline constexpr int Failed = 1;           // anything failed; an update is rolled back
inline constexpr int NewerVersion = 2;     // /check: a newer version is listed
inline constexpr int PersonNeeded = 3;     // /silent: administrator rights or a file in use
                                           // needed a person; nothing was changed
inline constexpr int StillRunning = 4;     // /waitpid: the process did not end in time
inline constexpr int AlreadyRunning = 5;   // another Quillmere works on the same folder
inline constexpr int Usage = 64;           // an unknown switch or a missing value
}  // namespace ExitCode

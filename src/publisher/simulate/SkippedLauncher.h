#pragma once
// The program starts of a simulation: recorded, never made. A publisher's machine must not run a
// release's programs unasked; each start is answered as a success (and a waited-for program as
// ended), so the script goes on as it would on a user's machine.

#include <cstddef>
#include <string>
#include <vector>

#include "core/seam/ProgramLauncher.h"
#include "publisher/simulate/RecordingUpdaterWindow.h"

struct SkippedStart {
    std::string commandLine;
    bool wait;
    std::size_t afterLogLine;  // the number of log lines shown at the start
};

class SkippedLauncher final : public ProgramLauncher {
public:
    explicit SkippedLauncher(const RecordingUpdaterWindow& window) : window_(window) {}

    bool LaunchExecutable(const std::string& commandLine, bool wait, int) override {
        starts_.push_back({commandLine, wait, window_.LogLines().size()});
        return true;
    }

    const std::vector<SkippedStart>& Starts() const { return starts_; }

private:
    const RecordingUpdaterWindow& window_;
    std::vector<SkippedStart> starts_;
};

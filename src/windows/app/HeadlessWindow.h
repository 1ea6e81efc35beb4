#pragma once
// The window of /check and /silent: it shows nothing. The log file's window copies the log
// lines and the answering window answers the boxes before they get here; what it still does is
// deliver the thread's messages (a download's progress, a program's end) while the run waits.
// The run's end is the program's end: there is no window to close.

#include "core/seam/BlankWindow.h"

class HeadlessWindow final : public BlankWindow {
public:
    void ProcessPendingEvents() override;
};

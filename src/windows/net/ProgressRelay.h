#pragma once
// The download's progress, handed from the worker thread that runs the download to the
// window's thread that shows it.

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "core/net/ProgressSink.h"
#include "windows/win32/ScopedHandles.h"

// A ProgressSink for a download on a worker thread. The worker only records the bar's range
// and position in one atomic word and sets an event when they change, which the download logic
// does once per pixel column at most (ProgressMeter); the window's thread, woken by the event,
// shows the latest on the bar. No window is touched from the worker and no chunk waits for the
// window's thread.
class ProgressRelay final : public ProgressSink {
public:
    // On the window's thread: takes the bar's position and width as they stand. A null bar
    // reads 0 and shows nothing.
    explicit ProgressRelay(HWND bar);

    // --- The worker's side (ProgressSink) ---
    std::int32_t Position() noexcept override;
    // Records the range; the position moves into it, as the bar's own does.
    void SetMaximum(std::int32_t maximum) noexcept override;
    void SetPosition(std::int32_t position) noexcept override;
    std::int64_t Columns() noexcept override { return columns_; }
    // Called after every chunk; throws once the download has been abandoned, which ends it.
    void ProcessPendingEvents() override;

    // --- The window's thread's side ---
    // Set (auto-reset) when there is something new to show; null when no event could be made,
    // and then the bar shows the download's outcome only.
    HANDLE Changed() const { return changed_.Get(); }
    // Shows the latest range and position on the bar.
    void Show();
    // Makes the download fail at its next chunk.
    void Abandon() noexcept { abandoned_ = true; }

private:
    void Record(std::int32_t maximum, std::int32_t position) noexcept;

    HWND bar_;
    std::int64_t columns_ = 1;
    // The range's maximum (0: not set by the download) in the high half, the position in the
    // low half: one word, so that the window's thread never sees one without the other.
    std::atomic<std::uint64_t> state_;
    std::atomic<bool> abandoned_ = false;
    KernelHandle changed_;
    std::int32_t shownMaximum_ = 0;  // what the bar shows (window's thread only)
    std::int32_t shownPosition_ = 0;
};

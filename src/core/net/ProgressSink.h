#pragma once
// Where a download shows its progress: a bar counted in bytes, and a call after every chunk in
// which the window's pending events may be processed (a download on the window's thread) or the
// download stopped (one on a worker thread).

#include <cstdint>

class ProgressSink {
public:
    virtual ~ProgressSink() = default;

    // The bar's position.
    virtual std::int32_t Position() noexcept = 0;
    // Sets the bar's range to 0..`maximum` (> 0); the bar may move its position to fit.
    virtual void SetMaximum(std::int32_t maximum) noexcept = 0;
    virtual void SetPosition(std::int32_t position) noexcept = 0;
    // The bar's width in pixel columns, at least 1.
    virtual std::int64_t Columns() noexcept = 0;
    // Called after every chunk: lets the window handle the events that are waiting, when the
    // download runs on its thread. May throw; the download then fails.
    virtual void ProcessPendingEvents() = 0;
};

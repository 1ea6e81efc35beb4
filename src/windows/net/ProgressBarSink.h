#pragma once
// The download's progress on a PROGRESS_CLASS control, with the caller's event processing.

#include "core/net/ProgressSink.h"
#include "windows/net/DownloadFile.h"

// Either member of the DownloadProgress may be empty: no bar (it then reads 0 and ignores
// every change), no event processing.
class ProgressBarSink final : public ProgressSink {
public:
    explicit ProgressBarSink(const DownloadProgress& progress) : progress_(progress) {}

    std::int32_t Position() noexcept override;
    void SetMaximum(std::int32_t maximum) noexcept override;
    void SetPosition(std::int32_t position) noexcept override;
    std::int64_t Columns() noexcept override;
    void ProcessPendingEvents() override;

private:
    const DownloadProgress& progress_;
};

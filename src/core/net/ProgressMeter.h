#pragma once
// The download's view of the progress bar: counts the bytes received and tells the bar only what
// it can show.

#include <cstddef>
#include <cstdint>

#include "core/net/ProgressSink.h"

// Every new position makes a bar repaint at once (about a millisecond under Wine, far more than
// reading a chunk), so the bar is given a new position only when its filled part grows by at
// least one pixel column, which includes the end of the body. It never lags behind the bytes
// received by more than one column's worth. The bar reads 0 once the meter is destroyed,
// whatever the outcome.
class ProgressMeter {
public:
    explicit ProgressMeter(ProgressSink& bar);
    ~ProgressMeter();
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    // Measures against a body of `length` (> 0) bytes: the bar's maximum, position 0.
    void Start(std::int32_t length);
    // Counts `bytes` more received; moves the bar when that shows. Nothing before Start.
    void Advance(std::size_t bytes);

private:
    // The pixel column up to which the bar is filled at `position`.
    std::int64_t Column(std::int64_t position) const { return position * columns_ / length_; }
    void Show(std::int32_t position);

    ProgressSink& bar_;
    std::int32_t shown_;
    std::int64_t columns_ = 1;
    std::int64_t length_ = 0;
    std::int64_t received_ = 0;
};

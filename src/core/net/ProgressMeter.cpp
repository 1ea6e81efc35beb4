// The progress bar's pixel rule: new positions only when the filled part grows.

#include "core/net/ProgressMeter.h"

#include <algorithm>
#include <limits>

ProgressMeter::ProgressMeter(ProgressSink& bar) : bar_(bar), shown_(bar.Position()) {}

ProgressMeter::~ProgressMeter() {
    Show(0);
}

void ProgressMeter::Start(std::int32_t length) {
    bar_.SetMaximum(length);
    shown_ = bar_.Position();  // a new range may have moved the position
    columns_ =
        std::clamp<std::int64_t>(bar_.Columns(), 1, std::numeric_limits<std::int32_t>::max());
    length_ = length;
    received_ = 0;
    Show(0);
}

void ProgressMeter::Advance(std::size_t bytes) {
    if (length_ <= 0) {
        return;  // not started: no length to measure against
    }
    received_ += static_cast<std::int64_t>(bytes);
    const auto position = static_cast<std::int32_t>(
        std::min<std::int64_t>(received_, std::numeric_limits<std::int32_t>::max()));
    if (Column(position) != Column(shown_)) {  // the full length is the last column alone
        Show(position);
    }
}

void ProgressMeter::Show(std::int32_t position) {
    if (position != shown_) {
        bar_.SetPosition(position);
        shown_ = position;
    }
}

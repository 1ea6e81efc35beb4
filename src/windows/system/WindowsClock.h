#pragma once
// The machine's clock, in the form signature expiries are written in.

#include "core/seam/Clock.h"

class WindowsClock final : public Clock {
public:
    // GetSystemTime (UTC) as "YYYY-MM-DDTHH:MM:SSZ".
    std::string UtcNow() override;
};

#pragma once
// The machine's clock, which signature expiries are checked against. Windows implements it with
// GetSystemTime, the publisher's tool on Linux with the C library; the unit tests with a fake.

#include <string>

class Clock {
public:
    virtual ~Clock() = default;

    // The machine's current time in UTC as "YYYY-MM-DDTHH:MM:SSZ" (fixed width, so two such
    // texts compare as their times do).
    virtual std::string UtcNow() = 0;
};

#pragma once
// UTC times as the signature file writes them: "YYYY-MM-DDTHH:MM:SSZ", fixed width.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Seconds since 1970-01-01T00:00:00Z of `text`, or nothing when it is not exactly that format
// with a real date (month 01-12, the month's days, leap years) and time (00:00:00-23:59:59).
std::optional<std::int64_t> ParseUtcTimestamp(std::string_view text);

// The text of a time given in seconds since 1970-01-01T00:00:00Z (years 0000 to 9999).
std::string FormatUtcTimestamp(std::int64_t secondsSinceEpoch);

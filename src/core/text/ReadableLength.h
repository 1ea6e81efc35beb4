#pragma once
// The longest value the updater inserts into what it shows. A failure text, a script line, a
// version's description, a MSG text and the software title come from scripts and the system,
// and a hostile or broken one can be megabytes long; cut to this length they keep every box,
// caption and log line small enough to read and cheap to build.

#include <cstddef>
#include <string>
#include <string_view>

// Characters kept of a longer value.
inline constexpr std::size_t kReadableLength = 2000;

// Characters kept of a box's whole text, built from a language text and the values put into
// it: room for a failure text and its script line, each at the readable length. A value can
// hold a later placeholder (a "%CML%" in a failure text), so without this bound one box could
// grow with the product of the values' sizes.
inline constexpr std::size_t kReadableBoxLength = 2 * kReadableLength;

// Follows a value that was cut, so the reader sees that something is missing.
inline constexpr std::string_view kCutMark = " [...]";

// `value` itself when it has at most kReadableLength characters; otherwise its first
// kReadableLength characters followed by kCutMark.
std::string CutToReadableLength(std::string_view value);

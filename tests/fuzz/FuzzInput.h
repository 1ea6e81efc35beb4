#pragma once
// Helpers shared by the fuzz harnesses: a check that stops the input like a crash, and the
// split of an input into parts at NUL bytes, which keeps the seed files readable (scripts,
// separated by one NUL).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "SplitText.h"

// Stops the input with the failed condition when a property does not hold: libFuzzer keeps the
// input as a crash.
#define FUZZ_CHECK(condition)                                                         \
    do {                                                                              \
        if (!(condition)) {                                                           \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, \
                         #condition);                                                 \
            std::abort();                                                             \
        }                                                                             \
    } while (false)

// The input as text, cut at every NUL byte: "a\0b\0" gives "a", "b" and "".
inline std::vector<std::string_view> SplitAtNul(const std::uint8_t* data, std::size_t size) {
    return SplitText(std::string_view(reinterpret_cast<const char*>(data), size),
                     std::string_view("\0", 1));
}

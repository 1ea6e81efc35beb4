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
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t nul = input.find('\0'); nul != std::string_view::npos;
         nul = input.find('\0', start)) {
        parts.push_back(input.substr(start, nul - start));
        start = nul + 1;
    }
    parts.push_back(input.substr(start));
    return parts;
}

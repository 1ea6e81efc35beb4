#pragma once
// Paths as lint compares them.

#include <cstdint>
#include <string_view>

// A key of a path in the program's folder as Windows compares names (ASCII letters in any case,
// "\" and "/" alike): a 64-bit FNV-1a hash, so that a million DWN targets cost no string each.
std::uint64_t PathKey(std::string_view path);

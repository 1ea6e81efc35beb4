// Fuzzes placeholder replacement and the readable length against a simple reference model.
//
//   input = text NUL placeholder 1 NUL value 1 NUL placeholder 2 NUL value 2 ...
//   (up to three placeholders; a missing value is empty)

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/text/Placeholders.h"
#include "core/text/ReadableLength.h"
#include "fuzz/FuzzInput.h"

namespace {

// Searches for each placeholder afresh from where the last replacement ended and replaces the
// nearest; of two found at the same place, the one listed first.
std::string ModelReplace(std::string_view text, const std::vector<Substitution>& substitutions) {
    std::string result;
    std::size_t from = 0;
    for (;;) {
        const Substitution* nearest = nullptr;
        std::size_t nearestAt = std::string_view::npos;
        for (const Substitution& substitution : substitutions) {
            const std::size_t at = substitution.placeholder.empty()
                                       ? std::string_view::npos
                                       : text.find(substitution.placeholder, from);
            if (at < nearestAt) {
                nearest = &substitution;
                nearestAt = at;
            }
        }
        if (nearest == nullptr) {
            break;
        }
        result.append(text.substr(from, nearestAt - from));
        result.append(nearest->value);
        from = nearestAt + nearest->placeholder.size();
    }
    result.append(text.substr(from));
    return result;
}

std::string Replace(std::string_view text, const std::vector<Substitution>& s) {
    switch (s.size()) {
        case 0:
            return ReplacePlaceholders(text, {});
        case 1:
            return ReplacePlaceholders(text, {s[0]});
        case 2:
            return ReplacePlaceholders(text, {s[0], s[1]});
        default:
            return ReplacePlaceholders(text, {s[0], s[1], s[2]});
    }
}

void CheckReadableLength(std::string_view value) {
    const std::string cut = CutToReadableLength(value);
    if (value.size() <= kReadableLength) {
        FUZZ_CHECK(cut == value);
    } else {
        FUZZ_CHECK(cut == std::string(value.substr(0, kReadableLength)) + std::string(kCutMark));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> parts = SplitAtNul(data, size);
    const std::string_view text = parts[0];
    std::vector<Substitution> substitutions;
    for (std::size_t i = 1; i < parts.size() && substitutions.size() < 3; i += 2) {
        substitutions.push_back({parts[i], i + 1 < parts.size() ? parts[i + 1] : ""});
    }

    FUZZ_CHECK(Replace(text, substitutions) == ModelReplace(text, substitutions));
    for (const Substitution& substitution : substitutions) {
        FUZZ_CHECK(ReplaceAll(text, substitution.placeholder, substitution.value) ==
                   ModelReplace(text, {substitution}));
    }
    FUZZ_CHECK(ReplaceLineBreaks(text) == ModelReplace(text, {{kPlaceholderCrLf, kCrLf}}));

    // The input is at most a few kilobytes: repeat it to reach past the readable length.
    std::string longValue(text);
    while (!text.empty() && longValue.size() <= kReadableLength) {
        longValue += text;
    }
    CheckReadableLength(text);
    CheckReadableLength(longValue);
    return 0;
}

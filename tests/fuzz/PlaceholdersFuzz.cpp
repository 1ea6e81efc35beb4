// Fuzzes placeholder replacement and the readable length against a simple reference model.
//
//   input = limit NUL text NUL placeholder 1 NUL value 1 NUL placeholder 2 NUL value 2 ...
//   (the limit is the first part's length; up to three placeholders; a missing value is empty)

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/text/Placeholders.h"
#include "core/text/ReadableLength.h"
#include "fuzz/FuzzInput.h"

namespace {

// Searches for the placeholder afresh from where the last replacement ended.
std::string ModelReplace(std::string_view text, Substitution substitution) {
    if (substitution.placeholder.empty()) {
        return std::string(text);
    }
    std::string result;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(substitution.placeholder, from)) != text.npos;) {
        result.append(text.substr(from, at - from));
        result.append(substitution.value);
        from = at + substitution.placeholder.size();
    }
    result.append(text.substr(from));
    return result;
}

std::size_t Occurrences(std::string_view text, std::string_view placeholder) {
    std::size_t count = 0;
    for (std::size_t at = text.find(placeholder); !placeholder.empty() && at != text.npos;
         at = text.find(placeholder, at + placeholder.size())) {
        ++count;
    }
    return count;
}

// Each substitution in the whole result of the one before, then cut as ReplaceInTurn
// promises; nothing when a whole result would pass a megabyte, which the model cannot afford.
std::optional<std::string> ModelReplaceInTurn(std::string_view text,
                                              const std::vector<Substitution>& substitutions,
                                              std::size_t limit) {
    std::string result(text);
    for (const Substitution& substitution : substitutions) {
        const std::size_t grows = Occurrences(result, substitution.placeholder);
        if (result.size() + grows * substitution.value.size() > (1u << 20)) {
            return std::nullopt;
        }
        result = ModelReplace(result, substitution);
    }
    if (result.size() > limit) {
        result.resize(limit);
        result += kCutMark;
    }
    return result;
}

std::string ReplaceListInTurn(std::string_view text, const std::vector<Substitution>& s,
                              std::size_t limit) {
    switch (s.size()) {
        case 0:
            return ReplaceInTurn(text, {}, limit);
        case 1:
            return ReplaceInTurn(text, {s[0]}, limit);
        case 2:
            return ReplaceInTurn(text, {s[0], s[1]}, limit);
        default:
            return ReplaceInTurn(text, {s[0], s[1], s[2]}, limit);
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
    if (parts.size() < 2) {
        return 0;
    }
    const std::size_t limit = parts[0].size();
    const std::string_view text = parts[1];
    std::vector<Substitution> substitutions;
    for (std::size_t i = 2; i < parts.size() && substitutions.size() < 3; i += 2) {
        substitutions.push_back({parts[i], i + 1 < parts.size() ? parts[i + 1] : ""});
    }

    const std::string inTurn = ReplaceListInTurn(text, substitutions, limit);
    FUZZ_CHECK(inTurn.size() <= limit + kCutMark.size());
    if (const auto model = ModelReplaceInTurn(text, substitutions, limit)) {
        FUZZ_CHECK(inTurn == *model);
    }
    for (const Substitution& substitution : substitutions) {
        FUZZ_CHECK(ReplaceAll(text, substitution.placeholder, substitution.value) ==
                   ModelReplace(text, substitution));
    }
    FUZZ_CHECK(ReplaceLineBreaks(text) == ModelReplace(text, {kPlaceholderCrLf, kCrLf}));

    // The input is at most a few kilobytes: repeat it to reach past the readable length.
    std::string longValue(text);
    while (!text.empty() && longValue.size() <= kReadableLength) {
        longValue += text;
    }
    CheckReadableLength(text);
    CheckReadableLength(longValue);
    return 0;
}

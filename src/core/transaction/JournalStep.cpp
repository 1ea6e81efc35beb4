#include "core/transaction/JournalStep.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace {

constexpr std::array<std::pair<StepKind, std::string_view>, 6> kStepWords{{
    {StepKind::Stamp, "stamp"},
    {StepKind::Aside, "aside"},
    {StepKind::Staged, "staged"},
    {StepKind::Replaced, "replaced"},
    {StepKind::MadeFolder, "made"},
    {StepKind::RemovedFolder, "removed"},
}};

constexpr char kHexDigits[] = "0123456789abcdef";

// Control characters, "%" and DEL become "%xx"; every other byte stands as it is.
std::string Escape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte < 0x20 || byte == '%' || byte == 0x7f) {
            escaped += '%';
            escaped += kHexDigits[byte >> 4];
            escaped += kHexDigits[byte & 0xf];
        } else {
            escaped += character;
        }
    }
    return escaped;
}

int HexValue(char digit) {
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'a' && digit <= 'f') {
        return digit - 'a' + 10;
    }
    return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            plain += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        plain += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return plain;
}

std::optional<std::uint64_t> ParseNumber(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

std::optional<JournalStep> ParseStep(std::string_view line) {
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields.size() != 8) {
        return std::nullopt;
    }
    JournalStep step;
    bool known = false;
    for (const auto& [kind, word] : kStepWords) {
        if (fields[0] == word) {
            step.kind = kind;
            known = true;
        }
    }
    const std::optional<std::string> path = Unescape(fields[1]);
    const std::optional<std::string> aside = Unescape(fields[2]);
    const std::optional<std::string> staged = Unescape(fields[3]);
    const auto attributes = ParseNumber(fields[4]);
    const auto created = ParseNumber(fields[5]);
    const auto written = ParseNumber(fields[6]);
    // The last field closes the line: a line cut short inside its numbers lacks it.
    if (!known || !path || !aside || !staged || !attributes || *attributes > 0xffffffffu ||
        !created || !written || fields[7] != ".") {
        return std::nullopt;
    }
    step.path = *path;
    step.aside = *aside;
    step.staged = *staged;
    step.stamp = {static_cast<std::uint32_t>(*attributes), *created, *written};
    return step;
}

// The complete lines of `text`: a last line without its line feed was cut short.
template <typename Take>
void ForEachCompleteLine(std::string_view text, Take take) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            return;
        }
        take(text.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

std::string FormatStep(const JournalStep& step) {
    std::string_view word;
    for (const auto& [kind, stepWord] : kStepWords) {
        if (kind == step.kind) {
            word = stepWord;
        }
    }
    return std::string(word) + '\t' + Escape(step.path) + '\t' + Escape(step.aside) + '\t' +
           Escape(step.staged) + '\t' +
           std::to_string(step.stamp.attributes) + '\t' + std::to_string(step.stamp.created) +
           '\t' + std::to_string(step.stamp.written) + "\t.\n";
}

JournalContent ParseJournal(std::string_view text) {
    JournalContent content;
    if (!text.starts_with(kJournalHeader)) {
        return content;
    }
    ForEachCompleteLine(text.substr(kJournalHeader.size()), [&](std::string_view line) {
        if (std::string(line) + '\n' == kCommitLine) {
            content.committed = true;
        } else if (std::optional<JournalStep> step = ParseStep(line)) {
            content.steps.push_back(std::move(*step));
        }
    });
    return content;
}

std::string FormatPathLine(std::string_view path) {
    return Escape(path) + '\n';
}

std::vector<std::string> ParsePathLines(std::string_view text) {
    std::vector<std::string> paths;
    ForEachCompleteLine(text, [&](std::string_view line) {
        if (std::optional<std::string> path = Unescape(line); path && !path->empty()) {
            paths.push_back(std::move(*path));
        }
    });
    return paths;
}

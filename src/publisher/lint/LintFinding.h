#pragma once
// What `lint` reports: findings at byte offsets of a file, and the file's line map that turns an
// offset into the line and column an editor shows.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class Severity { Warning, Error };

struct LintFinding {
    std::size_t offset = 0;  // byte offset in the file
    Severity severity = Severity::Error;
    std::string code;             // short, kebab-case, stable (docs/publisher-tool.md lists them)
    std::string message;          // printable ASCII: quoted file content is escaped
    bool errorWhenKeyed = false;  // a missing pin: an error once a publisher's key is known
};

// Where each editor line of a file starts. A line ends at LF, CR LF or a lone CR, as editors
// count lines (the updater itself ends a line only at a CR).
class LineMap {
public:
    explicit LineMap(std::string_view text);

    std::size_t LineOf(std::size_t offset) const;    // from 1
    std::size_t ColumnOf(std::size_t offset) const;  // from 1, in bytes

private:
    std::vector<std::size_t> starts_;
};

// Quotes at most `limit` bytes of file content for a message: printable ASCII as it is, other
// bytes as \xNN, and "..." when cut.
std::string QuoteContent(std::string_view text, std::size_t limit = 40);

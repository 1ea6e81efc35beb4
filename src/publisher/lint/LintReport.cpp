// The text and JSON forms of lint's findings.

#include "publisher/lint/LintReport.h"

#include <ostream>

namespace {

const char* SeverityName(Severity severity) {
    return severity == Severity::Error ? "error" : "warning";
}

// `text` as a JSON string. Bytes are taken as Latin-1, so any bytes make valid JSON.
std::string JsonString(std::string_view text) {
    constexpr char kHex[] = "0123456789abcdef";
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            json += c;
        } else {
            json += "\\u00";
            json += kHex[byte >> 4];
            json += kHex[byte & 0xF];
        }
    }
    return json + "\"";
}

}  // namespace

void PrintLintText(const std::vector<LintedFile>& files, std::ostream& out) {
    for (const LintedFile& file : files) {
        for (const LintFinding& finding : file.findings) {
            out << file.name << ":" << file.lines.LineOf(finding.offset) << ":"
                << file.lines.ColumnOf(finding.offset) << ": " << SeverityName(finding.severity)
                << ": " << finding.message << " [" << finding.code << "]\n";
        }
    }
}

void PrintLintJson(const std::vector<LintedFile>& files, std::ostream& out) {
    out << "[";
    const char* separator = "\n";
    for (const LintedFile& file : files) {
        for (const LintFinding& finding : file.findings) {
            out << separator << "  {\"file\": " << JsonString(file.name)
                << ", \"line\": " << file.lines.LineOf(finding.offset)
                << ", \"column\": " << file.lines.ColumnOf(finding.offset) << ", \"severity\": \""
                << SeverityName(finding.severity) << "\", \"code\": " << JsonString(finding.code)
                << ", \"message\": " << JsonString(finding.message) << "}";
            separator = ",\n";
        }
    }
    out << (*separator == ',' ? "\n]\n" : "]\n");
}

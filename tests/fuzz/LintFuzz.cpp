// Fuzzes quillmere-publish lint over up to four files of one run, linted as the configuration
// file, a version file, the update information file and an update script (their kinds guessed
// from their names and content, as the tool does).
//
//   input = file 1 NUL file 2 NUL file 3 NUL file 4 (later parts ignored)
//
// Properties: no crash or leak; every finding lies in its file (line and column from 1, within
// the text) and has a known severity and a kebab-case code; messages and the JSON document are
// printable ASCII whatever the bytes; at most the kept findings and one count per file.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/FuzzInput.h"
#include "publisher/lint/LintCommand.h"
#include "publisher/lint/LintReport.h"

namespace {

bool IsPrintable(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= 0x20 && c < 0x7F) || c == '\n'; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const kNames[] = {"quillmere.cfg", "version.txt", "updates.txt",
                                         "update.qsc"};
    const std::vector<std::string_view> parts = SplitAtNul(data, size);
    std::vector<LintedFile> files;
    std::vector<std::size_t> sizes;
    for (std::size_t i = 0; i < parts.size() && i < 4; ++i) {
        files.push_back(LintFileText(kNames[i], std::string(parts[i]), std::nullopt));
        sizes.push_back(parts[i].size());
    }
    FinishLintRun(files, size % 2 == 1, "");

    for (std::size_t i = 0; i < files.size(); ++i) {
        FUZZ_CHECK(files[i].findings.size() <= kMostFindingsPerFile + 1);
        for (const LintFinding& finding : files[i].findings) {
            FUZZ_CHECK(finding.offset <= sizes[i]);
            FUZZ_CHECK(files[i].lines.LineOf(finding.offset) >= 1);
            FUZZ_CHECK(files[i].lines.ColumnOf(finding.offset) >= 1);
            FUZZ_CHECK(!finding.code.empty() &&
                       finding.code.find_first_not_of("abcdefghijklmnopqrstuvwxyz-") ==
                           std::string::npos);
            FUZZ_CHECK(IsPrintable(finding.message));
        }
    }
    std::ostringstream json;
    PrintLintJson(files, json);
    FUZZ_CHECK(IsPrintable(json.str()));
    return 0;
}

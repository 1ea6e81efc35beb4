#pragma once
// How `lint` prints its findings: compiler-style lines, or one JSON document for CI.

#include <iosfwd>
#include <vector>

#include "publisher/lint/LintFile.h"

// One line per finding, "FILE:LINE:COLUMN: error|warning: message [code]", files in the order
// given and findings in the order of their place in the file.
void PrintLintText(const std::vector<LintedFile>& files, std::ostream& out);

// A JSON array of objects {"file", "line", "column", "severity", "code", "message"}, in the
// same order. The output is ASCII: bytes of file names above 0x7F are written as \u00XX.
void PrintLintJson(const std::vector<LintedFile>& files, std::ostream& out);

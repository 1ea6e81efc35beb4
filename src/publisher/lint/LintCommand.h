#pragma once
// quillmere-publish lint: checks the files the updater runs (configuration file, version file,
// update information file, update scripts) and reports what the updater would do with them.

#include <iosfwd>
#include <string>
#include <vector>

#include "publisher/lint/LintFile.h"

// `arguments`: "lint" and its options and files. Prints the findings to `out`; returns 1 when
// one is an error (or a warning, with --strict), else 0. A file that cannot be read is an error
// finding. Throws UsageError for a wrong command line.
int RunLint(const std::vector<std::string>& arguments, std::ostream& out);

// The checks that need every file of a run, on files linted one by one: a key (`keyed`, or a
// configuration file's KEY) makes missing pins errors; EXE programs are looked for in the other
// update scripts' downloads and in `appFolder` (unless empty); scripts' VER lines are compared
// with the CMV lines that offer them; versions are checked for their order. Then each file's
// findings are put in the order of their place, with a count of those not kept.
void FinishLintRun(std::vector<LintedFile>& files, bool keyed, const std::string& appFolder);

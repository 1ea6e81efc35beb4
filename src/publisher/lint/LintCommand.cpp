// lint's command line and the checks that need every file of the run: the publisher's key,
// programs another update script downloads, the CMV line that offers a script, version order.

#include "publisher/lint/LintCommand.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "core/crypto/KeyLine.h"
#include "core/crypto/PrivateKeyPem.h"
#include "publisher/common/CommandLine.h"
#include "publisher/common/ToolFiles.h"
#include "publisher/lint/LintPaths.h"
#include "publisher/lint/LintReport.h"

namespace {

struct LintOptions {
    std::optional<LintKind> kind;
    bool strict = false;
    bool json = false;
    bool keyed = false;  // --key or --key-line: missing pins are errors
    std::string appFolder;
    std::vector<std::string> files;
};

// A key the updater could trust: a private key file of `keygen` or openssl, or a "KEY ..." line.
void RequireKey(const std::string& text, const std::string& what) {
    std::string reason;
    if (ParsePrivateKeyPem(text, reason)) {
        return;
    }
    std::string_view line = std::string_view(text).substr(0, text.find_first_of("\r\n"));
    if (line.starts_with("KEY ")) {
        line.remove_prefix(4);
    }
    if (!ParseKeyLine(line, reason)) {
        throw UsageError(what + " is neither a private key file nor a KEY line: " + reason);
    }
}

LintOptions ParseLintOptions(const std::vector<std::string>& arguments) {
    const CommandLine line = ParseCommandLine(
        arguments, {"--kind", "--format", "--key", "--key-line", "--app"}, {"--strict"});
    LintOptions options;
    options.strict = line.Has("--strict");
    options.files = line.operands;
    options.appFolder = line.OneOr("--app", "");
    if (const std::string kind = line.OneOr("--kind", ""); !kind.empty()) {
        options.kind = LintKindNamed(kind);
        if (!options.kind)
            throw UsageError("--kind takes config, version, feed or script");
    }
    const std::string format = line.OneOr("--format", "text");
    if (format != "text" && format != "json")
        throw UsageError("--format takes text or json");
    options.json = format == "json";
    for (auto [at, end] = line.options.equal_range("--key"); at != end; ++at) {
        std::string text;
        try {
            text = ReadFile(at->second);
        } catch (const std::runtime_error& failure) {
            throw UsageError(failure.what());
        }
        RequireKey(text, at->second);
        options.keyed = true;
    }
    for (auto [at, end] = line.options.equal_range("--key-line"); at != end; ++at) {
        RequireKey(at->second, "--key-line");
        options.keyed = true;
    }
    if (options.files.empty())
        throw UsageError("lint needs at least one FILE");
    return options;
}

LintedFile LintPath(const std::string& path, std::optional<LintKind> kind) {
    std::string text;
    try {
        text = ReadFile(path);
    } catch (const std::runtime_error&) {
        LintedFile file;
        file.name = path;
        file.Report({0, Severity::Error, "unreadable", "cannot read the file"});
        return file;
    }
    return LintFileText(path, std::move(text), kind);
}

// With a publisher's key, the updater refuses every CMV and DWN line without a pin.
void ApplyKey(std::vector<LintedFile>& files) {
    for (LintedFile& file : files) {
        for (LintFinding& finding : file.findings) {
            if (finding.errorWhenKeyed) {
                finding.severity = Severity::Error;
            }
        }
    }
}

bool IsInAppFolder(const std::string& appFolder, const std::string& program) {
    if (appFolder.empty()) {
        return false;
    }
    std::string relative = program.substr(1);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(appFolder) / relative, error);
}

// True when `downloads` (sorted) has a DWN line of `key` before `offset`.
bool DownloadedBefore(const std::vector<Download>& downloads, std::uint64_t key,
                      std::size_t offset) {
    const auto first = std::lower_bound(downloads.begin(), downloads.end(), Download{key, 0});
    return first != downloads.end() && first->key == key && first->offset < offset;
}

// An EXE program must be downloaded by an earlier DWN line of its script, by another update
// script of the run (an earlier version's), or be in the program's folder already (--app).
void CheckProgramsStarted(std::vector<LintedFile>& files, const std::string& appFolder) {
    for (LintedFile& file : files) {
        std::sort(file.downloads.begin(), file.downloads.end());
    }
    for (LintedFile& file : files) {
        for (const ProgramCall& call : file.programs) {
            const auto downloaded = [&](const std::string& name) {
                const std::uint64_t key = PathKey(name);
                return std::any_of(files.begin(), files.end(), [&](const LintedFile& other) {
                    const std::size_t before = &other == &file ? call.offset : SIZE_MAX;
                    return DownloadedBefore(other.downloads, key, before);
                });
            };
            const bool found =
                std::any_of(call.candidates.begin(), call.candidates.end(), [&](const auto& name) {
                    return downloaded(name) || IsInAppFolder(appFolder, name);
                });
            if (!found) {
                file.Report({call.offset, Severity::Warning, "exe-not-found",
                             "EXE starts " + QuoteContent(call.shown) +
                                 ", which no DWN line before it downloads (nor another update "
                                 "script linted here, nor the --app folder holds)"});
            }
        }
    }
}

// The trailing path components of a URL ("http://host/1.1/update.qsc?x" -> 1.1, update.qsc).
std::vector<std::string> UrlPathParts(std::string_view url) {
    url = url.substr(0, url.find_first_of("?#"));
    const std::size_t scheme = url.find("://");
    if (scheme != std::string_view::npos) {
        const std::size_t path = url.find('/', scheme + 3);
        url = path == std::string_view::npos ? std::string_view() : url.substr(path);
    }
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= url.size()) {
        std::size_t end = url.find('/', at);
        end = end == std::string_view::npos ? url.size() : end;
        if (end > at)
            parts.emplace_back(url.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

std::size_t MatchingTail(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::size_t count = 0;
    while (count < a.size() && count < b.size() &&
           a[a.size() - 1 - count] == b[b.size() - 1 - count]) {
        ++count;
    }
    return count;
}

// The update script a feed's CMV line offers is the linted script whose path ends most like the
// line's URL. Its VER lines should set the version the line lists.
void CheckScriptVersions(std::vector<LintedFile>& files) {
    for (LintedFile& script : files) {
        if (script.kind != LintKind::Script || script.versions.empty()) {
            continue;
        }
        std::vector<std::string> parts;
        std::error_code error;
        for (const auto& part : std::filesystem::absolute(script.name, error).lexically_normal()) {
            parts.push_back(part.string());
        }
        const LintedFile* bestFeed = nullptr;
        const ListedScript* best = nullptr;
        std::size_t bestMatch = 0;
        bool tie = false;
        for (const LintedFile& feed : files) {
            for (const ListedScript& listed : feed.listedScripts) {
                const std::size_t match = MatchingTail(parts, UrlPathParts(listed.url));
                if (match > bestMatch) {
                    bestMatch = match, bestFeed = &feed, best = &listed, tie = false;
                } else if (match == bestMatch && match > 0 && listed.version != best->version) {
                    tie = true;
                }
            }
        }
        if (best == nullptr || tie) {
            continue;
        }
        for (const VersionMention& mention : script.versions) {
            if (mention.text != best->version) {
                script.Report({mention.offset, Severity::Warning, "version-mismatch",
                               "the update script sets version " + QuoteContent(mention.text) +
                                   ", but the CMV line that offers it (" + bestFeed->name + ":" +
                                   std::to_string(bestFeed->lines.LineOf(best->offset)) +
                                   ") lists " + QuoteContent(best->version)});
            }
        }
    }
}

void CheckVersionOrder(std::vector<LintedFile>& files) {
    std::vector<VersionMention> mentions;
    for (std::size_t index = 0; index < files.size(); ++index) {
        for (VersionMention mention : files[index].versions) {
            mention.file = index;
            mentions.push_back(std::move(mention));
        }
    }
    for (const VersionOrderProblem& problem : FindVersionOrderProblems(mentions)) {
        files[problem.at->file].Report(
            {problem.at->offset, Severity::Warning, "version-order", problem.message});
    }
}

// Findings in the order of their place; a last one counts those not kept.
void FinishFindings(LintedFile& file) {
    std::stable_sort(
        file.findings.begin(), file.findings.end(),
        [](const LintFinding& a, const LintFinding& b) { return a.offset < b.offset; });
    if (file.findingsDropped > 0) {
        const std::size_t end = file.findings.empty() ? 0 : file.findings.back().offset;
        file.findings.push_back(
            {end, file.droppedAnError ? Severity::Error : Severity::Warning, "too-many-findings",
             std::to_string(file.findingsDropped) + " more findings in this file are not shown"});
    }
}

}  // namespace

void FinishLintRun(std::vector<LintedFile>& files, bool keyed, const std::string& appFolder) {
    for (const LintedFile& file : files) {
        keyed = keyed || file.hasKey;
    }
    if (keyed) {
        ApplyKey(files);
    }
    CheckProgramsStarted(files, appFolder);
    CheckScriptVersions(files);
    CheckVersionOrder(files);
    for (LintedFile& file : files) {
        FinishFindings(file);
    }
}

int RunLint(const std::vector<std::string>& arguments, std::ostream& out) {
    const LintOptions options = ParseLintOptions(arguments);
    std::vector<LintedFile> files;
    for (const std::string& path : options.files) {
        files.push_back(LintPath(path, options.kind));
    }
    FinishLintRun(files, options.keyed, options.appFolder);

    bool failed = false;
    for (const LintedFile& file : files) {
        for (const LintFinding& finding : file.findings) {
            failed = failed || finding.severity == Severity::Error || options.strict;
        }
    }
    if (options.json) {
        PrintLintJson(files, out);
    } else {
        PrintLintText(files, out);
    }
    return failed ? 1 : 0;
}

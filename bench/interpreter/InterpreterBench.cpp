// How the interpreter's cost grows with the length of a script: runs of 10,000, 100,000 and
// 1,000,000 setting-command lines, and two hostile scripts of 1 MB and 10 MB (a line full of
// "%CML%" whose failure quotes it; a long VER line followed by many CMV lines). The time per
// line, or per byte, must not grow with the script's size.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/QuietWindow.h"
#include "core/update/Updater.h"

namespace {

// A platform that does nothing (and the quiet window): only the interpreter is measured.
class QuietPlatform : public ProgramHome,
                      public FileSystem,
                      public ProgramLauncher,
                      public Downloader,
                      public Crypto,
                      public Clock {
public:
    std::string ProgramFolder() override { return "C:\\App"; }
    std::string ProgramName() override { return "quillmere"; }
    // Only the error box has a text, so that a failed line builds its whole message.
    std::string ReadIniString(const std::string&, const std::string&,
                              const std::string& key) override {
        return key == "GenericErrorDialog" ? "Error:%CRLF%%ERROR%%CRLF%in line: %CML%" : "";
    }
    bool FileExists(const std::string&) override { return false; }
    std::string ReadFileBytes(const std::string&) override { return {}; }
    void RemoveFile(const std::string&) override {}
    bool VisibleEntryExists(const std::string&) override { return false; }
    bool AnyFileExists(const std::string&) override { return false; }
    std::string FinalPath(const std::string& path) override { return path; }
    void MakeFolder(const std::string&) override {}
    void RemoveEmptyFolder(const std::string&) override {}
    void ResetAttributesAndDelete(const std::string&) override {}
    bool EraseDirectory(const std::string&) override { return true; }
    bool EntryExists(const std::string&) override { return false; }
    std::vector<std::string> EntryNames(const std::string&) override { return {}; }
    std::string ActualName(const std::string& path) override { return path; }
    EntryStamp ReadStamp(const std::string&) override { return {}; }
    void WriteStamp(const std::string&, const EntryStamp&) override {}
    void MoveEntry(const std::string&, const std::string&, bool) override {}
    std::string ProgramsUsing(const std::string&) override { return {}; }
    std::unique_ptr<AppendOnlyFile> OpenForAppend(const std::string&) override {
        struct Discarding : AppendOnlyFile {
            void Append(std::string_view) override {}
            void Flush() override {}
        };
        return std::make_unique<Discarding>();
    }
    bool LaunchExecutable(const std::string&, bool, int) override { return true; }
    std::unique_ptr<Sha256Hasher> NewSha256() override { return nullptr; }
    bool IsP256PublicKey(const P256PublicKey&) override { return true; }
    bool VerifyP256(const P256PublicKey&, const Sha256Digest&, const P256Signature&) override {
        return false;
    }
    std::string UtcNow() override { return {}; }
    DownloadResult DownloadFile(const std::string&, const std::string&, DownloadKind,
                                const std::optional<Sha256Digest>&) override {
        return DownloadResult::Failed;
    }
};

// Cycles through the five setting commands except OFF, which would end the run.
std::string SettingScript(std::int64_t lines) {
    static const char* const kLines[] = {"ADR http://updates.example.com/info.txt\r\n",
                                         "LOC \\data\\version.txt\r\n", "TIT Example Software\r\n",
                                         "VER 1.2.3\r\n"};
    std::string script;
    script.reserve(static_cast<std::size_t>(lines) * 32);
    for (std::int64_t i = 0; i < lines; ++i) {
        script += kLines[i % 4];
    }
    return script;
}

void BM_InterpretSettingLines(benchmark::State& state) {
    const std::int64_t lines = state.range(0);
    const std::string script = SettingScript(lines);
    QuietWindow window;
    QuietPlatform platform;
    Updater updater(window, {platform, platform, platform, platform, platform, platform});
    for (auto _ : state) {
        state.PauseTiming();  // filling the buffer is loading, not interpreting
        updater.Interpreter().Buffer().SetText(script);
        state.ResumeTiming();
        updater.Interpreter().InterpretScript();
        benchmark::DoNotOptimize(updater.Interpreter().State().InstalledVersion.Text().data());
    }
    state.SetItemsProcessed(state.iterations() * lines);
    state.counters["ns_per_line"] = benchmark::Counter(
        static_cast<double>(lines),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_InterpretSettingLines)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);

// `unit` repeated until the text has `bytes` bytes (the last copy may be cut).
std::string RepeatedTo(std::string_view unit, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + unit.size());
    while (text.size() < bytes) {
        text += unit;
    }
    text.resize(bytes);
    return text;
}

// DEL refuses the wildcard and its failure quotes the path; the box quotes the line too.
std::string ErrorLineFullOfCml(std::size_t bytes) {
    return "DEL \\*" + RepeatedTo("%CML%", bytes - 6);
}

// Half the bytes a dotted installed version, half CMV lines that do not offer it.
std::string LongVersionManyCmvLines(std::size_t bytes) {
    return "VER " + RepeatedTo("1.", bytes / 2) + "\r\n" +
           RepeatedTo("CMV 1.0;Fixes.;http://updates.example.com/1.0.qsc\r\n", bytes / 2);
}

// Writes to every cache line of a buffer larger than the processor's caches. A run is
// memory-bound: without this, a 1 MB script would be read from the cache and a 10 MB one from
// memory, and the ratio of their per-byte times would measure the cache, not the run's work.
void EvictCaches() {
    static std::vector<char> scratch(64 << 20);
    for (std::size_t at = 0; at < scratch.size(); at += 64) {
        ++scratch[at];
    }
    benchmark::ClobberMemory();
}

// Runs `script` once per iteration, each starting with cold caches, and reports the time per
// byte.
void InterpretPerByte(benchmark::State& state, const std::string& script) {
    QuietWindow window;
    QuietPlatform platform;
    Updater updater(window, {platform, platform, platform, platform, platform, platform});
    for (auto _ : state) {
        state.PauseTiming();
        updater.Interpreter().Buffer().SetText(script);
        EvictCaches();
        state.ResumeTiming();
        updater.Interpreter().InterpretScript();
        benchmark::DoNotOptimize(updater.Interpreter().State().UpdateFailed);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(script.size()));
    state.counters["ns_per_byte"] = benchmark::Counter(
        static_cast<double>(script.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

constexpr std::int64_t kMegabyte = 1'000'000;

void BM_ErrorLineFullOfCml(benchmark::State& state) {
    InterpretPerByte(state, ErrorLineFullOfCml(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ErrorLineFullOfCml)
    ->Arg(kMegabyte)
    ->Arg(10 * kMegabyte)
    ->Iterations(100)  // a fixed count: each iteration also evicts the caches, untimed
    ->Unit(benchmark::kMillisecond);

void BM_LongVersionManyCmvLines(benchmark::State& state) {
    InterpretPerByte(state, LongVersionManyCmvLines(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_LongVersionManyCmvLines)
    ->Arg(kMegabyte)
    ->Arg(10 * kMegabyte)
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// How the interpreter's cost grows with the length of a script: runs of 10,000, 100,000 and
// 1,000,000 setting-command lines. The time per line must not grow with the script's size.

#include <benchmark/benchmark.h>

#include <string>

#include "core/update/Updater.h"

namespace {

// A window and a platform that do nothing: only the interpreter is measured.
class QuietWindow : public UpdaterWindow {
public:
    void ReplaceLog(const std::string&) override {}
    void AppendLog(const std::string&) override {}
    int ShowMessageBox(const std::string&, MessageBoxStyle) override { return kAnswerOk; }
    void ProcessPendingEvents() override {}
    void SetCaption(const std::string&) override {}
    void SetTitleLabel(const std::string&) override {}
    void SetButtonCaptions(const std::string&, const std::string&) override {}
    void SetProgressBarTooltip(const std::string&) override {}
    void SetButtonsEnabled(bool) override {}
    void RequestClose() override {}
};

class QuietPlatform : public ProgramHome,
                      public FileSystem,
                      public ProgramLauncher,
                      public Downloader {
public:
    std::string ProgramFolder() override { return "C:\\App"; }
    std::string ProgramName() override { return "quillmere"; }
    std::string ReadIniString(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    bool FileExists(const std::string&) override { return false; }
    std::string ReadFileBytes(const std::string&) override { return {}; }
    void RemoveFile(const std::string&) override {}
    bool VisibleEntryExists(const std::string&) override { return false; }
    bool AnyFileExists(const std::string&) override { return false; }
    std::string FullPathName(const std::string& path) override { return path; }
    void MakeFolder(const std::string&) override {}
    void RemoveEmptyFolder(const std::string&) override {}
    void ResetAttributesAndDelete(const std::string&) override {}
    bool EraseDirectory(const std::string&) override { return true; }
    bool LaunchExecutable(const std::string&, bool, int) override { return true; }
    bool DownloadFile(const std::string&, const std::string&) override { return false; }
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
    Updater updater(window, {platform, platform, platform, platform});
    for (auto _ : state) {
        state.PauseTiming();  // filling the buffer is loading, not interpreting
        updater.Buffer().SetText(script);
        state.ResumeTiming();
        updater.Interpreter().InterpretScript();
        benchmark::DoNotOptimize(updater.State().InstalledVersion.Text().data());
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

}  // namespace

BENCHMARK_MAIN();

#include "windows/ScriptHarness.h"

#include <cstdlib>
#include <stdexcept>

#include "windows/app/EventPump.h"
#include "core/text/Placeholders.h"
#include "windows/win32/ScopedHandles.h"

void RecordingWindow::ProcessPendingEvents() {
    FakeWindow::ProcessPendingEvents();  // counts the pass
    ::ProcessPendingEvents(nullptr);
}

ScriptHarness::ScriptHarness(const std::string& folder) : home(folder) {
    using namespace harness_texts;
    WriteFileBytes(
        folder + "\\quillmere.lng",
        std::string("[Quillmere]\r\n") + "GenericErrorDialog=" + kErrorDialog + "\r\n" +
            "CreateDirectory=" + kCreateDirectory + "\r\n" +
            "DirectoryCreated=" + kDirectoryCreated + "\r\n" + "DeleteMessage=" + kDeleteMessage +
            "\r\n" + "EndDeleteMessage=" + kEndDeleteMessage + "\r\n" +
            "EraseDirectoryError=" + kEraseDirectoryError + "\r\n" + "LaunchError=" + kLaunchError +
            "\r\n" + "DownloadMessage=" + kDownloadMessage + "\r\n" + "EndDownloadMessage=" +
            kEndDownloadMessage + "\r\n" + "DownloadError=" + kDownloadError + "\r\n");
    WriteFileBytes(folder + "\\quillmere.cfg", "");
    if (!updater.StartUp()) {
        throw std::runtime_error("the harness's updater did not start in " + folder);
    }
}

void ScriptHarness::Run(const std::string& script) {
    window.log.clear();
    updater.Interpreter().Buffer().Append(script);
    updater.Interpreter().InterpretScript();
}

std::string ScriptHarness::ErrorReport(const std::string& failure, const std::string& line) {
    std::string report = ReplaceLineBreaks(harness_texts::kErrorDialog);
    report = ReplaceAll(report, kPlaceholderError, failure);
    return ReplaceAll(report, kPlaceholderCommandLine, line);
}

std::string WinePath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& character : path) {
        if (character == '/') {
            character = '\\';
        }
    }
    return path;
}

std::string RequiredEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        throw std::runtime_error(std::string(name) + " is not set: run under scripts/test-env");
    }
    return value;
}

std::vector<std::string> ListingOrder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    FindHandle listing(FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (!listing) {
        return names;
    }
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (FindNextFileA(listing.Get(), &entry));
    return names;
}

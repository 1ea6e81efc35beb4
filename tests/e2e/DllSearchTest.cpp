// Where the real quillmere.exe takes its DLLs from: DLLs planted beside it never load, at start,
// in the About box or while downloading; a system DLL that cannot be loaded fails its calls,
// not the program.
//
// Windows takes a DLL that is not one of its known DLLs from the program's folder first. Wine
// prefers its own builtin DLLs unless told otherwise: the suite tells it, for the program under
// a name of its own, to prefer a native DLL found on the search path, as Windows does.

#include <cstring>
#include <initializer_list>
#include <utility>

#include "windows/ui/HelpAbout.h"
#include "windows/ui/SystemMenuHook.h"
#include "e2e/UpdateSession.h"

namespace e2e {
namespace {

// The name the program runs under in this suite: Wine's overrides below are for it alone.
constexpr const char* kProgramFileName = "dll-search.exe";

// Wine's DLL overrides for programs of one file name while the object lives: the values of the
// registry key Wine reads at each start of such a program ("native,builtin", or "" for a DLL
// that must not load at all).
class DllOverrides {
public:
    DllOverrides(const std::string& programFileName,
                 std::initializer_list<std::pair<const char*, const char*>> overrides)
        : appKey_("Software\\Wine\\AppDefaults\\" + programFileName) {
        for (const auto& [dll, order] : overrides) {
            if (RegSetKeyValueA(HKEY_CURRENT_USER, (appKey_ + "\\DllOverrides").c_str(), dll,
                                REG_SZ, order,
                                static_cast<DWORD>(std::strlen(order) + 1)) != ERROR_SUCCESS) {
                throw UiDriverError("cannot write Wine's DLL overrides for " + programFileName);
            }
        }
    }
    ~DllOverrides() { RegDeleteTreeA(HKEY_CURRENT_USER, appKey_.c_str()); }
    DllOverrides(const DllOverrides&) = delete;
    DllOverrides& operator=(const DllOverrides&) = delete;

private:
    std::string appKey_;
};

class DllSearchTest : public UpdateSession {
protected:
    DllSearchTest() : UpdateSession(kProgramFileName) {}

    void SetUp() override {
        UpdateSession::SetUp();
        server.WriteFile("updates.txt", "CMV 1.0;Same;" + server.Url("never.txt") + "\r\n");
    }

    // The version line of the About box, opened from the system menu's entry and closed again.
    std::string AboutBoxVersionLine(const MainWindow& window) {
        PostMessageA(window.Handle(), WM_SYSCOMMAND, kSystemMenuAboutId, 0);
        HWND box = nullptr;
        WaitUntil(
            [&] {
                box = program->FindWindowOfClass("#32770");
                return box != nullptr && GetDlgItem(box, kAboutVersionId) != nullptr;
            },
            "the About box", [&] { return program->Describe(); });
        const std::string line = WindowText(GetDlgItem(box, kAboutVersionId));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindow(box); }, "the About box to close",
                  [&] { return program->Describe(); });
        return line;
    }

    // Waits until the run has ended, whatever its outcome: the buttons are back after the first
    // message of the run and at least one more.
    void WaitForAnyRunEnd(const MainWindow& window) {
        WaitUntil(
            [&] {
                const std::vector<std::string> lines = window.LogLines();
                return lines.size() > 1 && lines.front() == kRunOpening.front() &&
                       window.UpdateButtonEnabled();
            },
            "the run to end", [&] { return program->Describe(); });
    }

    // The markers of the planted DLLs that were loaded ("WININET.dll.loaded" ...).
    std::vector<std::string> LoadedPlantedDlls() const {
        std::vector<std::string> markers;
        for (const std::string& name : folder.List()) {
            if (name.ends_with(".loaded")) {
                markers.push_back(name);
            }
        }
        return markers;
    }
};

TEST_F(DllSearchTest, DllsPlantedBesideTheProgramNeverLoad) {
    // WinINet, a DLL that WinINet itself loads, and comctl32, which the manifest binds to the
    // system's side-by-side common controls. Not VERSION.dll: Wine's own user32 imports it, so
    // under Wine any program loads a planted one before its first line (Windows' user32 does not
    // import it); the import table check covers it.
    for (const char* name : {"wininet.dll", "mpr.dll", "comctl32.dll"}) {
        folder.CopyFile(BuildPath("planted.dll"), name);
    }
    const DllOverrides nativeFirst(
        kProgramFileName,
        {{"wininet", "native,builtin"}, {"mpr", "native,builtin"}, {"comctl32", "native,builtin"}});
    program.emplace(Program::Start(folder));
    MainWindow window = program->WaitForMainWindow();

    EXPECT_NE(AboutBoxVersionLine(window), "Version : 0.0.0.0");  // the system's VERSION.dll
    window.ClickUpdate();
    WaitForAnyRunEnd(window);

    EXPECT_EQ(LoadedPlantedDlls(), std::vector<std::string>{});
    // The system's WinINet fetched the update information.
    EXPECT_EQ(window.LogLines(), Concat(kRunOpening, {"[No update %CRLF%]", "[Scan finished]"}));
}

TEST_F(DllSearchTest, SystemDllThatCannotLoadFailsItsCallsNotTheProgram) {
    const DllOverrides disabled(kProgramFileName, {{"wininet", ""}});
    MainWindow window = StartAndClickUpdate();

    WaitForRunEnd(window, "[Try later]");
    EXPECT_EQ(window.Log(),
              JoinLines({"[Research %CRLF%]", "[Information not downloaded]", "[Try later]"}));
    EXPECT_EQ(server.RequestCount("updates.txt"), 0);
    window.PressCloseBox();
    EXPECT_EQ(program->WaitForExit(), 0u);
}

}  // namespace
}  // namespace e2e

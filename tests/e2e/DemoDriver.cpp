// demo_driver.exe: plays the user in the headless demo (scripts/demo). Starts quillmere.exe,
// presses Update, answers every message box (Yes to each offer, OK to the rest, an error box
// included), takes a screenshot at each step (NN-error.bmp for an error box), and writes the
// final progress log to a file.
//
// Command line: demo_driver.exe PROGRAM_PATH OUTPUT_FOLDER
// Exit code 0 when the run ended with the window idle again; 1 otherwise (the reason on stderr).

#include <cstdio>
#include <string>

#include "e2e/UiDriver.h"

namespace {

using e2e::MainWindow;
using e2e::MessageBoxWindow;
using e2e::Milliseconds;
using e2e::Program;

// Downloads and the update scripts take their time; a demo may wait longer than a test.
constexpr Milliseconds kStepTimeout{120000};

class Demo {
public:
    Demo(const std::string& programPath, const std::string& outputFolder)
        : program_(Program::Start(programPath)), outputFolder_(outputFolder) {}

    void Run() {
        MainWindow window = program_.WaitForMainWindow(kStepTimeout);
        Screenshot("start");
        const std::string welcome = window.Log();
        std::printf("Quillmere is up. Pressing Update.\n");
        window.ClickUpdate();

        while (AwaitNextStep(window, welcome)) {
            AnswerMessageBox();
        }
        if (!program_.IsRunning()) {
            std::printf("Quillmere closed itself at the end of the run (an OFF line).\n");
            return;
        }
        Screenshot("finished");
        e2e::WriteFileText(outputFolder_ + "\\final-log.txt", window.Log());
        window.ClickClose();
        program_.WaitForExit(kStepTimeout);
    }

private:
    // Waits for a message box (true) or for the end of the run (false): the window idle again
    // with the welcome text gone, or the program ended.
    bool AwaitNextStep(const MainWindow& window, const std::string& welcome) {
        bool boxShown = false;
        e2e::WaitUntil(
            [&] {
                if (!program_.IsRunning()) {
                    return true;
                }
                boxShown = program_.FindMessageBox().has_value();
                if (boxShown) {
                    return true;
                }
                // The log first: the run disables the buttons before it replaces the welcome
                // text and enables them again only at its end.
                const bool runStarted = window.Log() != welcome;
                return runStarted && window.UpdateButtonEnabled() && window.CloseButtonEnabled();
            },
            "a message box or the end of the update check", [this] { return program_.Describe(); },
            kStepTimeout);
        return boxShown && program_.IsRunning();
    }

    void AnswerMessageBox() {
        const MessageBoxWindow box = program_.WaitForMessageBox(kStepTimeout);
        const std::vector<int> buttons = box.ButtonIds();
        const bool question = buttons.size() == 2 && buttons[0] == IDYES;
        const bool error = box.Icon() == e2e::MessageBoxIcon::Error;
        Screenshot(question ? "question" : error ? "error" : "message");
        std::printf("Message box (%s icon):\n  %s\n", e2e::IconName(box.Icon()),
                    Indented(box.Text()).c_str());
        std::printf("  -> %s\n", question ? "Yes" : "OK");
        box.Answer(question ? IDYES : IDOK, kStepTimeout);
    }

    void Screenshot(const std::string& what) {
        char name[64];
        std::snprintf(name, sizeof name, "%02d-%s.bmp", ++screenshots_, what.c_str());
        try {
            e2e::SaveScreenshot(outputFolder_ + "\\" + name);
        } catch (const e2e::UiDriverError& failure) {
            std::fprintf(stderr, "demo_driver: no screenshot %s: %s\n", name, failure.what());
        }
    }

    // The text with every line break followed by the indentation of the first line.
    static std::string Indented(const std::string& text) {
        std::string indented;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                indented += "\n  ";
                ++i;
            } else {
                indented += text[i];
            }
        }
        return indented;
    }

    Program program_;
    std::string outputFolder_;
    int screenshots_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: demo_driver PROGRAM_PATH OUTPUT_FOLDER\n");
        return 2;
    }
    try {
        Demo demo(argv[1], argv[2]);
        demo.Run();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "demo_driver: %s\n", failure.what());
        return 1;
    }
    return 0;
}

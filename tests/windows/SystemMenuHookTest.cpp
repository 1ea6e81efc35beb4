// The system-menu hook on a window of the test's own: what it replaces and restores, what it
// passes on unchanged, and a replacement that fails. (Opening the About box is covered by the
// end-to-end window suite, on the real program.)

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "windows/ui/SystemMenuHook.h"

namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received&) const = default;
};

constexpr UINT kTestMessage = WM_APP + 7;
constexpr LRESULT kOriginalResult = 4321;
std::vector<Received> received;

// The window's own procedure: records the messages the tests send and answers them.
LRESULT CALLBACK OriginalProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTestMessage || message == WM_SYSCOMMAND) {
        received.push_back({message, wParam, lParam});
        return kOriginalResult;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK OtherProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

WNDPROC ProcedureOf(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

// A hidden top-level window of this thread whose procedure is OriginalProcedure.
class TestWindow {
public:
    TestWindow() {
        static const ATOM windowClass = [] {
            WNDCLASSA description = {};
            description.lpfnWndProc = OriginalProcedure;
            description.hInstance = GetModuleHandleA(nullptr);
            description.lpszClassName = "SystemMenuHookTestWindow";
            return RegisterClassA(&description);
        }();
        handle_ = CreateWindowExA(0, MAKEINTATOM(windowClass), "test", WS_OVERLAPPEDWINDOW, 0, 0,
                                  100, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        received.clear();
    }
    ~TestWindow() { DestroyWindow(handle_); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return handle_; }

private:
    HWND handle_;
};

TEST(SystemMenuHookTest, HookReplacesTheProcedureAndUnhookRestoresIt) {
    TestWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    HookSystemMenu(window.Handle());
    EXPECT_EQ(ProcedureOf(window.Handle()), &SystemMenuWindowProc);
    UnhookSystemMenu();
    EXPECT_EQ(ProcedureOf(window.Handle()), &OriginalProcedure);
}

TEST(SystemMenuHookTest, EveryOtherMessagePassesOnUnchangedWithItsResult) {
    TestWindow window;
    HookSystemMenu(window.Handle());
    EXPECT_EQ(SendMessageA(window.Handle(), kTestMessage, 0x1234, 0x5678), kOriginalResult);
    // The separator's id, a standard command, and ids that are 1001 only in their low bits.
    const std::vector<WPARAM> commands = {1000, SC_CLOSE, 1002, 1001 | 0x10000, 0x10000 + 1001};
    for (WPARAM command : commands) {
        EXPECT_EQ(SendMessageA(window.Handle(), WM_SYSCOMMAND, command, 99), kOriginalResult);
    }
    UnhookSystemMenu();

    std::vector<Received> expected = {{kTestMessage, 0x1234, 0x5678}};
    for (WPARAM command : commands) {
        expected.push_back({WM_SYSCOMMAND, command, 99});
    }
    EXPECT_EQ(received, expected);
}

TEST(SystemMenuHookTest, SecondHookIsIgnoredAndUnhookWithoutAHookChangesNothing) {
    TestWindow first;
    TestWindow second;
    HookSystemMenu(first.Handle());
    HookSystemMenu(second.Handle());
    EXPECT_EQ(ProcedureOf(second.Handle()), &OriginalProcedure);
    UnhookSystemMenu();
    EXPECT_EQ(ProcedureOf(first.Handle()), &OriginalProcedure);

    // Not hooked now: a second unhook must not put any procedure back.
    SetWindowLongPtrA(first.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OtherProcedure));
    UnhookSystemMenu();
    EXPECT_EQ(ProcedureOf(first.Handle()), &OtherProcedure);
}

TEST(SystemMenuHookTest, FailedReplacementIsNotRecordedAsAHook) {
    // No window: the replacement fails and returns no previous procedure. No hook is recorded,
    // so the next hook takes effect (a recorded one would make it do nothing).
    HookSystemMenu(nullptr);
    TestWindow window;
    HookSystemMenu(window.Handle());
    EXPECT_EQ(ProcedureOf(window.Handle()), &SystemMenuWindowProc);
    EXPECT_EQ(SendMessageA(window.Handle(), kTestMessage, 1, 2), kOriginalResult);
    UnhookSystemMenu();
    EXPECT_EQ(ProcedureOf(window.Handle()), &OriginalProcedure);

    // A window of another process cannot be subclassed either; unhooking afterwards is harmless.
    HookSystemMenu(GetDesktopWindow());
    UnhookSystemMenu();
    EXPECT_TRUE(IsWindow(GetDesktopWindow()));
}

}  // namespace

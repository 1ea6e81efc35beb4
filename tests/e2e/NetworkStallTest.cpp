// The window while the network says nothing: a server that accepts and stays silent, and a
// connection that is never answered. For ten seconds the window answers every message in time,
// refuses to close and opens its About box; then the run ends as the network lets it.

#include <winsock2.h>

#include <chrono>

#include "e2e/UpdateSession.h"
#include "windows/ui/HelpAbout.h"
#include "windows/ui/SystemMenuHook.h"

namespace e2e {
namespace {

constexpr int kStallSeconds = 10;

// A loopback port whose listening socket never accepts and whose backlog is full: the system
// drops every new connection's first packet, so a connection to it is never answered. Once the
// socket is closed, the next retry of such a connection is refused.
class UnansweredPort {
public:
    UnansweredPort() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(listener_, 0) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw UiDriverError("no listening socket");
        }
        port_ = ntohs(address.sin_port);
        // Connections of our own fill the backlog, however long the system makes it: the one
        // that gets no answer shows that it is full.
        for (int filler = 0; filler < 64; ++filler) {
            const SOCKET connection = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            fillers_.push_back(connection);
            u_long nonBlocking = 1;
            ioctlsocket(connection, FIONBIO, &nonBlocking);
            connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address);
            fd_set writable;
            FD_ZERO(&writable);
            FD_SET(connection, &writable);
            timeval wait{0, 300000};
            if (select(0, nullptr, &writable, nullptr, &wait) == 0) {
                return;
            }
        }
        throw UiDriverError("the listening socket's backlog never filled up");
    }
    ~UnansweredPort() {
        Close();
        for (const SOCKET connection : fillers_) {
            closesocket(connection);
        }
        WSACleanup();
    }
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    int Port() const { return port_; }
    void Close() {
        if (listener_ != INVALID_SOCKET) {
            closesocket(std::exchange(listener_, INVALID_SOCKET));
        }
    }

private:
    SOCKET listener_ = INVALID_SOCKET;
    std::vector<SOCKET> fillers_;
    int port_ = 0;
};

// Sends WM_NULL to the window every 50 ms, each with 250 ms to be answered, as the system does
// before it calls a window "not responding"; counts the ones that were not.
class ResponsivenessProbe {
public:
    explicit ResponsivenessProbe(HWND window) : window_(window) {}

    void For(Milliseconds duration) {
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end) {
            DWORD_PTR result = 0;
            ++sent_;
            if (!SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 250, &result)) {
                ++unanswered_;
            }
            Sleep(50);
        }
    }
    int Sent() const { return sent_; }
    int Unanswered() const { return unanswered_; }

private:
    HWND window_;
    int sent_ = 0;
    int unanswered_ = 0;
};

class NetworkStallTest : public UpdateSession {
protected:
    // Clicks Update and, while the update information does not come, checks the window for
    // kStallSeconds: it answers, refuses to close, opens and closes its About box.
    void CheckTheWindowThroughTheStall() {
        const auto start = std::chrono::steady_clock::now();
        MainWindow window = StartAndClickUpdate();
        WaitUntil([&] { return !window.UpdateButtonEnabled(); }, "the run to start",
                  [&] { return program->Describe(); });
        ResponsivenessProbe probe(window.Handle());
        probe.For(Milliseconds(2000));

        window.PressCloseBox();
        window.PostClose();
        window.WaitUntilPostedMessagesHandled();
        EXPECT_TRUE(window.Exists());
        probe.For(Milliseconds(500));

        PostMessageA(window.Handle(), WM_SYSCOMMAND, kSystemMenuAboutId, 0);
        HWND about = nullptr;
        WaitUntil(
            [&] {
                about = program->FindWindowOfClass("#32770");
                return about != nullptr && GetDlgItem(about, kAboutVersionId) != nullptr;
            },
            "the About box", [&] { return program->Describe(); }, Milliseconds(5000));
        probe.For(Milliseconds(500));
        PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
        WaitUntil([&] { return !IsWindow(about); }, "the About box closed",
                  [&] { return program->Describe(); }, Milliseconds(5000));

        probe.For(std::chrono::duration_cast<Milliseconds>(
            start + std::chrono::seconds(kStallSeconds) - std::chrono::steady_clock::now()));
        EXPECT_EQ(probe.Unanswered(), 0) << "of " << probe.Sent();
        EXPECT_TRUE(program->IsRunning());
        EXPECT_FALSE(window.UpdateButtonEnabled());  // still waiting for the network
    }
};

TEST_F(NetworkStallTest, SilentServerKeepsTheWindowResponsiveUntilTheInformationComes) {
    WriteConfiguration(server.SilentUrl("updates.txt", kStallSeconds + 1));
    server.WriteFile("updates.txt", "CMV 1.0;Same;" + server.Url("never.txt") + "\r\n");
    CheckTheWindowThroughTheStall();

    MainWindow window = program->WaitForMainWindow();
    WaitForRunEnd(window, "[Scan finished]");
    EXPECT_EQ(window.LogLines(), Concat(kRunOpening, {"[No update %CRLF%]", "[Scan finished]"}));
}

TEST_F(NetworkStallTest, UnansweredConnectionKeepsTheWindowResponsiveUntilItIsRefused) {
    UnansweredPort port;
    WriteConfiguration("http://127.0.0.1:" + std::to_string(port.Port()) + "/updates.txt");
    CheckTheWindowThroughTheStall();

    port.Close();
    MainWindow window = program->WaitForMainWindow();
    WaitForRunEnd(window, "[Try later]");
    EXPECT_EQ(window.Log(),
              JoinLines({"[Research %CRLF%]", "[Information not downloaded]", "[Try later]"}));
}

}  // namespace
}  // namespace e2e

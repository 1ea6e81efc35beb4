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

using Clock = std::chrono::steady_clock;
constexpr int kStallSeconds = 10;

// A loopback port whose listening socket never accepts and whose backlog our own connections
// fill: the system drops every further connection's first packet, so it is never answered
// until the socket is closed, which refuses it.
class UnansweredPort {
public:
    UnansweredPort() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
        listen(listener_, 0);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        for (int filler = 0; filler < 64; ++filler) {  // until one goes unanswered
            fillers_.push_back(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
            u_long nonBlocking = 1;
            ioctlsocket(fillers_.back(), FIONBIO, &nonBlocking);
            connect(fillers_.back(), reinterpret_cast<sockaddr*>(&address), sizeof address);
            fd_set writable;
            FD_ZERO(&writable);
            FD_SET(fillers_.back(), &writable);
            timeval wait{0, 300000};
            if (select(0, nullptr, &writable, nullptr, &wait) == 0) {
                return;
            }
        }
        throw UiDriverError("the listening socket's backlog never filled up");
    }
    ~UnansweredPort() {
        Close();
        for (const SOCKET filler : fillers_) {
            closesocket(filler);
        }
        WSACleanup();
    }

    int Port() const { return port_; }
    void Close() { closesocket(std::exchange(listener_, INVALID_SOCKET)); }

private:
    SOCKET listener_ = INVALID_SOCKET;
    std::vector<SOCKET> fillers_;
    int port_ = 0;
};

class NetworkStallTest : public UpdateSession {
protected:
    // Sends WM_NULL every 50 ms until `end`, each with the 250 ms the system allows before it
    // calls a window "not responding"; counts those not answered in time.
    void Probe(HWND window, Clock::time_point end) {
        for (; Clock::now() < end; Sleep(50)) {
            DWORD_PTR result = 0;
            unanswered += !SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 250, &result);
        }
    }

    // Clicks Update; while the update information does not come, for kStallSeconds, the window
    // answers, refuses to close, and opens and closes its About box.
    MainWindow CheckTheWindowThroughTheStall() {
        const Clock::time_point start = Clock::now();
        MainWindow window = StartAndClickUpdate();
        WaitUntil([&] { return !window.UpdateButtonEnabled(); }, "the run to start",
                  [&] { return program->Describe(); });
        Probe(window.Handle(), Clock::now() + std::chrono::seconds(2));
        window.PressCloseBox();
        window.PostClose();
        window.WaitUntilPostedMessagesHandled();
        EXPECT_TRUE(window.Exists());

        PostMessageA(window.Handle(), WM_SYSCOMMAND, kSystemMenuAboutId, 0);
        HWND about = nullptr;
        WaitUntil(
            [&] {
                about = program->FindWindowOfClass("#32770");
                return about != nullptr && GetDlgItem(about, kAboutVersionId) != nullptr;
            },
            "the About box", [&] { return program->Describe(); });
        Probe(window.Handle(), Clock::now() + std::chrono::milliseconds(500));
        PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
        WaitUntil([&] { return !IsWindow(about); }, "the About box closed",
                  [&] { return program->Describe(); });

        Probe(window.Handle(), start + std::chrono::seconds(kStallSeconds));
        EXPECT_EQ(unanswered, 0);
        EXPECT_FALSE(window.UpdateButtonEnabled());  // still waiting for the network
        return window;
    }

    int unanswered = 0;
};

TEST_F(NetworkStallTest, SilentServerKeepsTheWindowResponsiveUntilTheInformationComes) {
    WriteConfiguration(server.SilentUrl("updates.txt", kStallSeconds + 1));
    server.WriteFile("updates.txt", "CMV 1.0;Same;" + server.Url("never.txt") + "\r\n");
    const MainWindow window = CheckTheWindowThroughTheStall();

    WaitForRunEnd(window, "[Scan finished]");
    EXPECT_EQ(window.LogLines(), Concat(kRunOpening, {"[No update %CRLF%]", "[Scan finished]"}));
}

TEST_F(NetworkStallTest, UnansweredConnectionKeepsTheWindowResponsiveUntilItIsRefused) {
    UnansweredPort port;
    WriteConfiguration("http://127.0.0.1:" + std::to_string(port.Port()) + "/updates.txt");
    const MainWindow window = CheckTheWindowThroughTheStall();

    port.Close();
    WaitForRunEnd(window, "[Try later]");
    EXPECT_EQ(window.Log(), JoinLines({"[Research %CRLF%]", "[Information not downloaded]",
                                       "[Try later]"}));
}

}  // namespace
}  // namespace e2e

// DownloadFile against the real peers of scripts/test-env: nginx over TLS with the test
// certificate authority (trusted inside the Wine prefix only), and tinyproxy as the proxy of the
// system's Internet Settings.

#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>
#include <vector>

#include "windows/ScriptHarness.h"
#include "windows/TempFolder.h"
#include "windows/crypto/CngCrypto.h"
#include "windows/net/DownloadFile.h"
#include "windows/win32/ScopedHandles.h"

namespace {

constexpr char kOldBytes[] = "the program as installed";

// A file of the test's own in the folder nginx serves, removed when the test ends; its URL
// under any of nginx's servers.
class ServedFile {
public:
    ServedFile(const std::string& name, const std::string& bytes)
        : name_(name + "-" + std::to_string(GetCurrentProcessId())),
          path_(WinePath(RequiredEnvironment("QUILLMERE_NGINX_ROOT")) + "\\" + name_) {
        WriteFileBytes(path_, bytes);
    }
    ~ServedFile() { DeleteFileA(path_.c_str()); }
    ServedFile(const ServedFile&) = delete;
    ServedFile& operator=(const ServedFile&) = delete;

    std::string Url(const char* serverVariable) const {
        return RequiredEnvironment(serverVariable) + "/" + name_;
    }

private:
    std::string name_;
    std::string path_;
};

// The WinINet error with which opening `url` fails, as DownloadFile opens it; 0 when it opens.
DWORD OpeningError(const std::string& url) {
    const InternetHandle session(
        InternetOpenA("Quillmere", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    const InternetHandle request(
        InternetOpenUrlA(session.Get(), url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
    return request ? 0 : GetLastError();
}

// --- TLS ---------------------------------------------------------------------------------------

TEST(TlsDownloadTest, OnlyACurrentCertificateOfATrustedAuthorityForTheHostIsAccepted) {
    const ServedFile served("tls.bin", "the new program over TLS");
    struct Case {
        const char* server;
        DWORD refusal;  // 0: accepted
    };
    // Wine reports an authority it does not trust as a failed revocation check (Windows says
    // ERROR_INTERNET_INVALID_CA); either way the connection is refused before any request.
    for (const Case& c :
         {Case{"QUILLMERE_NGINX_HTTPS_URL", 0},
          Case{"QUILLMERE_NGINX_UNTRUSTED_URL", ERROR_INTERNET_SEC_CERT_REV_FAILED},
          Case{"QUILLMERE_NGINX_WRONG_NAME_URL", ERROR_INTERNET_SEC_CERT_CN_INVALID},
          Case{"QUILLMERE_NGINX_EXPIRED_URL", ERROR_INTERNET_SEC_CERT_DATE_INVALID}}) {
        const TempFolder folder;
        const std::string target = folder / "program.exe";
        WriteFileBytes(target, kOldBytes);
        const std::string url = served.Url(c.server);

        EXPECT_EQ(OpeningError(url), c.refusal) << url;
        CngCrypto crypto;
        EXPECT_EQ(DownloadFile(url, target, DownloadKind::ReleaseFile, std::nullopt,
                               DownloadProgress{}, crypto),
                  c.refusal == 0 ? DownloadResult::Stored : DownloadResult::Failed)
            << url;
        EXPECT_EQ(ReadWholeFile(target), c.refusal == 0 ? "the new program over TLS" : kOldBytes)
            << url;
        EXPECT_EQ(ListingOrder(folder.Path()), std::vector<std::string>{"program.exe"}) << url;
    }
}

// --- The system's proxy ------------------------------------------------------------------------

// Sets the proxy of the current user's Internet Settings, as the Internet Options dialog does,
// and puts the settings back as they were when it goes.
class SystemProxy {
public:
    explicit SystemProxy(const std::string& server) {
        RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, &key_, nullptr);
        DWORD size = sizeof enabled_;
        hadEnable_ = RegQueryValueExA(key_, "ProxyEnable", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(&enabled_), &size) == ERROR_SUCCESS;
        char text[512] = "";
        size = sizeof text;
        hadServer_ = RegQueryValueExA(key_, "ProxyServer", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS;
        server_ = text;
        Write(1, server);
    }
    ~SystemProxy() {
        Write(enabled_, server_);
        if (!hadEnable_) {
            RegDeleteValueA(key_, "ProxyEnable");
        }
        if (!hadServer_) {
            RegDeleteValueA(key_, "ProxyServer");
        }
        RegCloseKey(key_);
    }
    SystemProxy(const SystemProxy&) = delete;
    SystemProxy& operator=(const SystemProxy&) = delete;

private:
    static constexpr char kKey[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

    void Write(DWORD enable, const std::string& server) {
        RegSetValueExA(key_, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable),
                       sizeof enable);
        RegSetValueExA(key_, "ProxyServer", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(server.c_str()),
                       static_cast<DWORD>(server.size() + 1));
        // Tells WinINet the settings changed, as the dialog does after writing them.
        InternetSetOptionA(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
        InternetSetOptionA(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
    }

    HKEY key_ = nullptr;
    DWORD enabled_ = 0;
    bool hadEnable_ = false;
    bool hadServer_ = false;
    std::string server_;
};

TEST(SystemProxyTest, DownloadsGoThroughTheProxyOfTheInternetSettings) {
    const ServedFile served("proxied.bin", "fetched through the proxy");
    // Plain HTTP is asked of the proxy by its whole URL; HTTPS is tunnelled with CONNECT, and
    // the certificate is still checked at this end of the tunnel.
    const std::string http = served.Url("QUILLMERE_NGINX_URL");
    const std::string https = served.Url("QUILLMERE_NGINX_HTTPS_URL");
    const std::string authority = https.substr(8, https.find('/', 8) - 8);
    struct Case {
        std::string url;
        std::string proxyLogLine;
    };
    const TempFolder folder;
    const SystemProxy proxy(RequiredEnvironment("QUILLMERE_PROXY"));
    CngCrypto crypto;
    for (const Case& c : {Case{http, "GET " + http + " HTTP/1.1"},
                          Case{https, "CONNECT " + authority + " HTTP/1.1"}}) {
        const std::string target = folder / "program.exe";
        ASSERT_EQ(DownloadFile(c.url, target, DownloadKind::ReleaseFile, std::nullopt,
                               DownloadProgress{}, crypto),
                  DownloadResult::Stored)
            << c.url;
        EXPECT_EQ(ReadWholeFile(target), "fetched through the proxy");
        const std::string log = ReadWholeFile(WinePath(RequiredEnvironment("QUILLMERE_PROXY_LOG")));
        EXPECT_NE(log.find(c.proxyLogLine), std::string::npos) << c.proxyLogLine << "\n" << log;
    }
}

}  // namespace

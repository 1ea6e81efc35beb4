// MappedTransport: which URLs local folders answer, which file, and what the reply says.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "publisher/simulate/MappedTransport.h"

namespace {

namespace fs = std::filesystem;

// The network: records what reached it and answers nothing.
class RecordingNetwork final : public HttpTransport {
public:
    std::unique_ptr<HttpReply> Get(const std::string& url, DownloadKind) override {
        requested.push_back(url);
        return nullptr;
    }
    std::vector<std::string> requested;
};

struct MappingCase {
    const char* url;
    const char* file;  // relative to "/srv", "" for a refused path, nullptr for the network
};

TEST(MappedTransportTest, AnswersMappedUrlsFromTheirFolderAndTheRestFromTheNetwork) {
    RecordingNetwork network;
    MappedTransport http(network);
    http.Map({"http://demo.invalid", "/srv"});
    http.Map({"http://demo.invalid/tools/", "/tools"});
    http.ServeFile("http://demo.invalid/updates.txt", "/staged/feed.txt");
    const MappingCase cases[] = {
        {"http://demo.invalid/1.1/update.qsc", "/srv/1.1/update.qsc"},
        {"http://demo.invalid/a.txt?x=1#top", "/srv/a.txt"},
        {"http://demo.invalid/tools/notes.exe", "/tools/notes.exe"},  // the longest prefix
        {"http://demo.invalid/updates.txt", "/staged/feed.txt"},      // the exact URL first
        {"http://demo.invalid/../etc/passwd", ""},
        {"http://demo.invalid/1.1/./a.txt", ""},
        {"http://demo.invalid/1.1\\..\\..\\a.txt", ""},
        {"http://demo.invalid/C:/a.txt", ""},
        {"http://demo.invalidity.example/a.txt", nullptr},  // not at a "/" after the prefix
        {"http://other.example/a.txt", nullptr},
    };
    for (const MappingCase& item : cases) {
        SCOPED_TRACE(item.url);
        const std::optional<std::string> file = http.LocalFileFor(item.url);
        if (item.file == nullptr) {
            EXPECT_FALSE(file.has_value());
        } else {
            ASSERT_TRUE(file.has_value());
            EXPECT_EQ(*file, item.file);
        }
    }
    EXPECT_EQ(http.Get("http://other.example/a.txt", DownloadKind::ReleaseFile), nullptr);
    EXPECT_EQ(network.requested, std::vector<std::string>{"http://other.example/a.txt"});
}

TEST(MappedTransportTest, RepliesWithTheFilesBytesOrA404) {
    const fs::path folder = fs::temp_directory_path() / "mapped-transport-test";
    fs::create_directories(folder);
    std::ofstream(folder / "a.txt", std::ios::binary) << "hello";
    RecordingNetwork network;
    MappedTransport http(network);
    http.Map({"http://demo.invalid/", folder.string()});

    const std::unique_ptr<HttpReply> found = http.Get("http://demo.invalid/a.txt", {});
    EXPECT_EQ(found->StatusCode(), "200");
    EXPECT_EQ(found->ContentLength(), "5");
    char buffer[3];
    std::string body;
    while (const std::size_t count = found->ReadChunk(buffer).value_or(0))
        body.append(buffer, count);
    EXPECT_EQ(body, "hello");

    for (const char* missing :
         {"http://demo.invalid/b.txt", "http://demo.invalid/", "http://demo.invalid/../a.txt"}) {
        EXPECT_EQ(http.Get(missing, {})->StatusCode(), "404") << missing;
    }
    EXPECT_TRUE(network.requested.empty());
    fs::remove_all(folder);
}

}  // namespace

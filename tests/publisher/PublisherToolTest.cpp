// The tool's own command words: --version prints the version that CMake's project() gives the
// build, and the usage text lists it.

#include <gtest/gtest.h>

#include <sstream>

#include "QuillmereVersion.h"
#include "posix/crypto/OpenSslCrypto.h"
#include "posix/publisher/PosixToolFileSystem.h"
#include "publisher/PublisherTool.h"

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun RunTool(const std::vector<std::string>& arguments) {
    OpenSslCrypto crypto;
    PosixClock clock;
    PosixToolFileSystem files;
    std::ostringstream out, err;
    const int status = RunPublisherTool(arguments, crypto, crypto, clock, files, out, err);
    return {status, out.str(), err.str()};
}

TEST(PublisherToolTest, VersionPrintsTheToolsNameAndTheBuildsVersion) {
    const ToolRun run = RunTool({"--version"});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.out, "quillmere-publish " QUILLMERE_VERSION "\n");
    EXPECT_EQ(run.err, "");
    // Three numbers, as project() has them.
    EXPECT_EQ(std::string(QUILLMERE_VERSION),
              std::to_string(QUILLMERE_VERSION_MAJOR) + "." +
                  std::to_string(QUILLMERE_VERSION_MINOR) + "." +
                  std::to_string(QUILLMERE_VERSION_PATCH));
}

TEST(PublisherToolTest, UsageTextListsVersion) {
    const ToolRun run = RunTool({"help"});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_NE(run.out.find("  --version\n"), std::string::npos) << run.out;
}

}  // namespace

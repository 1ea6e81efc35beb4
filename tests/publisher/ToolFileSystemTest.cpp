// The tool's file calls of this build (POSIX natively, Win32 under Wine) on real files: keygen's
// key file, new and for its owner alone from its creation, never written over a file or through a
// link; and WriteAtomically, which replaces the whole file or leaves it as it was, and never
// leaves a temporary file behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/crypto/KeyLine.h"
#include "publisher/PublisherTool.h"
#include "publisher/common/AtomicWrite.h"
#include "publisher/common/ToolFiles.h"
#include "publisher/keys/FeedSigning.h"

#ifdef _WIN32
#include <windows.h>
#include <aclapi.h>

#include "windows/crypto/CngCrypto.h"
#include "windows/publisher/OwnerOnlySecurity.h"
#include "windows/publisher/WindowsToolFileSystem.h"
#include "windows/system/WindowsClock.h"
using BackendCrypto = CngCrypto;
using BackendSigner = CngSigner;
using BackendClock = WindowsClock;
using BackendFiles = WindowsToolFileSystem;
#else
#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "posix/crypto/OpenSslCrypto.h"
#include "posix/publisher/PosixToolFileSystem.h"
#include "posix/publisher/ScopedDescriptor.h"
using BackendCrypto = OpenSslCrypto;
using BackendSigner = OpenSslCrypto;
using BackendClock = PosixClock;
using BackendFiles = PosixToolFileSystem;
#endif

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

class ToolFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tool-files-test-" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        Lay({});
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const std::string& name) const { return (dir / name).string(); }

    // Empties the folder and lays out `entries` in it, written as Entries() reports them.
    void Lay(const std::map<std::string, std::string>& entries) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (const auto& [name, content] : entries) {
            if (content == "<folder>")
                fs::create_directory(dir / name);
            else if (content.starts_with("-> "))
                fs::create_symlink(content.substr(3), dir / name);
            else
                std::ofstream(dir / name, std::ios::binary) << content;
        }
    }

    // Everything in the folder, by relative name: a file's bytes, "<folder>", or "-> TARGET"
    // for a symbolic link (never followed).
    std::map<std::string, std::string> Entries() const {
        std::map<std::string, std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            const std::string name = entry.path().lexically_relative(dir).generic_string();
            if (entry.is_symlink())
                entries[name] = "-> " + fs::read_symlink(entry.path()).string();
            else if (entry.is_directory())
                entries[name] = "<folder>";
            else
                entries[name] = ReadFile(entry.path().string());
        }
        return entries;
    }

    ToolRun Keygen(const std::string& path) {
        std::ostringstream out, err;
        const int status =
            RunPublisherTool({"keygen", path}, crypto, signer, clock, files, out, err);
        return {status, out.str(), err.str()};
    }

    BackendCrypto crypto;
    BackendSigner signer;
    BackendClock clock;
    BackendFiles files;
    fs::path dir;
};

TEST_F(ToolFileSystemTest, KeygenWritesTheKeyItPrintsToANewFile) {
    const ToolRun run = Keygen(Path("key.pem"));
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.out, FormatKeyLine(ReadSigningKey(Path("key.pem")).publicKey) + "\n");
    EXPECT_EQ(Entries().size(), 1u);
}

// What stands at keygen's path before it runs, and how its refusal begins.
struct KeygenRefusal {
    std::string what;
    std::string keyFile;
    std::map<std::string, std::string> entries;  // kept as they are
    std::string reason;                          // after "quillmere-publish: "
};

TEST_F(ToolFileSystemTest, KeygenRefusesAnythingAtItsPathAndWritesNothing) {
    const std::string key = Path("key.pem"), deep = Path("missing/key.pem");
    const std::string exists = key + " exists already; keygen never overwrites a key\n";
    const std::string link = key + " is a symbolic link; keygen writes a key only to a new file\n";
    const std::vector<KeygenRefusal> refusals = {
        {"a file", key, {{"key.pem", "old key"}}, exists},
        {"a folder", key, {{"key.pem", "<folder>"}}, exists},
        {"a missing folder", deep, {}, "cannot write " + deep + ": "},
#ifndef _WIN32
        {"a dangling link", key, {{"key.pem", "-> planted.pem"}}, link},
        {"a link to a file", key, {{"key.pem", "-> other.pem"}, {"other.pem", "kept"}}, link},
#endif
    };
    for (const KeygenRefusal& refusal : refusals) {
        Lay(refusal.entries);
        const ToolRun run = Keygen(refusal.keyFile);
        EXPECT_EQ(run.status, kExitRefused) << refusal.what;
        EXPECT_EQ(run.err.find("quillmere-publish: " + refusal.reason), 0u) << refusal.what << "\n"
                                                                            << run.err;
        EXPECT_EQ(run.out, "") << refusal.what;
        EXPECT_EQ(Entries(), refusal.entries) << refusal.what;
    }
}

#ifndef _WIN32
// A watcher opens the key file the moment it appears, as another local user would, through every
// keygen: what it opens is owner-only (0600) from the first moment, even with umask 0, under
// which a file made with the default mode would be 0666.
TEST_F(ToolFileSystemTest, TheKeyFileIsOwnerOnlyFromItsCreationWhateverTheUmask) {
    const std::string key = Path("key.pem");
    const mode_t umaskBefore = ::umask(0);
    std::atomic<bool> done = false;
    std::atomic<int> opened = 0;
    std::atomic<int> exposed = 0;  // opened with a mode other than 0600
    std::thread watcher([&] {
        while (!done) {
            const ScopedDescriptor file(::open(key.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
            struct stat status {};
            if (file && ::fstat(file.Get(), &status) == 0) {
                ++opened;
                exposed += (status.st_mode & 07777) != 0600;
            }
        }
    });
    for (int run = 0; run < 200 && exposed == 0; ++run) {
        const int openedBefore = opened;
        if (Keygen(key).status != kExitOk) {
            ADD_FAILURE() << "keygen failed";
            break;
        }
        while (opened == openedBefore) std::this_thread::yield();  // seen at least once
        struct stat status {};
        EXPECT_EQ(::lstat(key.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0600u);
        fs::remove(key);
    }
    done = true;
    watcher.join();
    ::umask(umaskBefore);
    EXPECT_EQ(exposed, 0);
}
#endif

#ifdef _WIN32
// Each entry of `acl` as "ACCOUNT MASK", " denied" added to one that does not allow.
std::vector<std::string> EntriesOf(PACL acl) {
    std::vector<std::string> entries;
    for (DWORD index = 0; acl && index < acl->AceCount; ++index) {
        ACCESS_ALLOWED_ACE* entry = nullptr;
        GetAce(acl, index, reinterpret_cast<void**>(&entry));
        char name[256] = "?", domain[256];
        DWORD nameSize = sizeof name, domainSize = sizeof domain;
        SID_NAME_USE use;
        LookupAccountSidA(nullptr, &entry->SidStart, name, &nameSize, domain, &domainSize, &use);
        entries.push_back(std::string(name) + " " + std::to_string(entry->Mask) +
                          (entry->Header.AceType == ACCESS_ALLOWED_ACE_TYPE ? "" : " denied"));
    }
    return entries;
}

// The descriptor keygen creates its file with is protected (nothing of the folder's access list
// is inherited) and lets in the current user alone. Windows reports the file's access list as
// that; Wine keeps a file's rights as its Unix mode only and reports the owner, SYSTEM, and
// Everyone for the others' bits (which a file of the folder's default rights has).
TEST_F(ToolFileSystemTest, TheKeyFileHasAProtectedAclForTheCurrentUserAlone) {
    char user[256];
    DWORD userSize = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &userSize));
    const std::vector<std::string> userAlone = {user + (" " + std::to_string(FILE_ALL_ACCESS))};

    OwnerOnlySecurity security;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorControl(security.Attributes()->lpSecurityDescriptor, &control,
                                             &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    ASSERT_TRUE(GetSecurityDescriptorDacl(security.Attributes()->lpSecurityDescriptor, &present,
                                          &acl, &defaulted));
    EXPECT_EQ(EntriesOf(acl), userAlone);

    const std::string key = Path("key.pem");
    ASSERT_EQ(Keygen(key).status, kExitOk);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoA(key.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, &acl, nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    const std::unique_ptr<void, decltype(&LocalFree)> owned(descriptor, LocalFree);
    std::vector<std::string> entries = EntriesOf(acl);
    std::erase(entries, "SYSTEM " + std::to_string(FILE_ALL_ACCESS));  // Wine's own
    EXPECT_EQ(entries, userAlone);
}
#endif

// What stands in the folder before WriteAtomically, and after it.
struct Replacement {
    std::string what;
    std::string target;
    std::map<std::string, std::string> before;
    std::map<std::string, std::string> after;  // `before` when refused
};

TEST_F(ToolFileSystemTest, WriteAtomicallyReplacesTheWholeFileOrLeavesItAsItWas) {
    const std::map<std::string, std::string> written = {{"feed.txt", "new"}};
    const std::map<std::string, std::string> folder = {{"feed.txt", "<folder>"},
                                                       {"feed.txt/inside.txt", "kept"}};
    const std::vector<Replacement> replacements = {
        {"a new file", "feed.txt", {}, written},
        {"a file replaced", "feed.txt", {{"feed.txt", "old"}}, written},
        {"a missing folder", "missing/feed.txt", {}, {}},
        {"a folder in the way", "feed.txt", folder, folder},
#ifndef _WIN32
        // The link is replaced by the file; what it pointed to is left alone.
        {"a symbolic link replaced",
         "feed.txt",
         {{"feed.txt", "-> other.txt"}, {"other.txt", "kept"}},
         {{"feed.txt", "new"}, {"other.txt", "kept"}}},
#endif
    };
    for (const Replacement& replacement : replacements) {
        Lay(replacement.before);
        std::string error;
        try {
            WriteAtomically(files, Path(replacement.target), "new");
        } catch (const std::runtime_error& failure) {
            error = failure.what();
        }
        const bool refused = replacement.after == replacement.before;
        EXPECT_EQ(error.find("cannot write " + Path(replacement.target) + ": "),
                  refused ? 0u : std::string::npos)
            << replacement.what << ": " << error;
        EXPECT_EQ(Entries(), replacement.after) << replacement.what;  // no temporary file left
    }
}

}  // namespace

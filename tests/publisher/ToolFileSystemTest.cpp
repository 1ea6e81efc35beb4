// The tool's file calls of this build (POSIX natively, Win32 under Wine) on real files: keygen's
// key file, new and for its owner alone from its creation, never written over a file or through a
// link; and WriteAtomically, which replaces the whole file or leaves it as it was, and never
// leaves a temporary file behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/crypto/KeyLine.h"
#include "publisher/AtomicWrite.h"
#include "publisher/FeedSigning.h"
#include "publisher/PublisherTool.h"
#include "publisher/ToolFiles.h"

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

#include "libcrypto/OpenSslCrypto.h"
#include "libcrypto/PosixToolFileSystem.h"
#include "libcrypto/ScopedDescriptor.h"
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
        Empty();
    }
    void TearDown() override { fs::remove_all(dir); }

    void Empty() {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    void Put(const std::string& name, const std::string& bytes) {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    // Everything in the folder, by relative name: a file's bytes, "<folder>", or "-> TARGET"
    // for a symbolic link (never followed).
    std::map<std::string, std::string> Entries() const {
        std::map<std::string, std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            const std::string name = fs::relative(entry.path(), dir).generic_string();
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
    std::function<void()> lay;
    std::string reason;  // after "quillmere-publish: "
};

TEST_F(ToolFileSystemTest, KeygenRefusesAnythingAtItsPathAndWritesNothing) {
    const std::string key = Path("key.pem");
    const std::string exists = key + " exists already; keygen never overwrites a key\n";
    const std::string link = key + " is a symbolic link; keygen writes a key only to a new file\n";
    const std::vector<KeygenRefusal> refusals = {
        {"a file", key, [&] { Put("key.pem", "old key"); }, exists},
        {"a folder", key, [&] { fs::create_directory(key); }, exists},
        {"a missing folder", Path("missing/key.pem"), [] {},
         "cannot write " + Path("missing/key.pem") + ": "},
#ifndef _WIN32
        {"a dangling link", key, [&] { fs::create_symlink(Path("planted.pem"), key); }, link},
        {"a link to a file", key,
         [&] {
             Put("other.pem", "kept");
             fs::create_symlink(Path("other.pem"), key);
         },
         link},
#endif
    };
    for (const KeygenRefusal& refusal : refusals) {
        Empty();
        refusal.lay();
        const std::map<std::string, std::string> before = Entries();
        const ToolRun run = Keygen(refusal.keyFile);
        EXPECT_EQ(run.status, kExitRefused) << refusal.what;
        EXPECT_EQ(run.err.find("quillmere-publish: " + refusal.reason), 0u) << refusal.what << "\n"
                                                                            << run.err;
        EXPECT_EQ(run.out, "") << refusal.what;
        EXPECT_EQ(Entries(), before) << refusal.what;
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
// The name of the account `sid` stands for, without its domain.
std::string AccountOf(PSID sid) {
    char name[256], domain[256];
    DWORD nameSize = sizeof name, domainSize = sizeof domain;
    SID_NAME_USE use;
    if (!LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
        return "<unknown SID>";
    return name;
}

std::string CurrentUser() {
    char user[256];
    DWORD size = sizeof user;
    return GetUserNameA(user, &size) ? user : "<no user name>";
}

// Each entry of `acl` as "TYPE ACCOUNT MASK", for readable failures.
std::vector<std::string> EntriesOf(PACL acl) {
    std::vector<std::string> entries;
    for (DWORD index = 0; acl && index < acl->AceCount; ++index) {
        void* entry = nullptr;
        GetAce(acl, index, &entry);
        const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        entries.push_back(std::to_string(allowed->Header.AceType) + " " +
                          (IsWellKnownSid(sid, WinLocalSystemSid) ? "SYSTEM" : AccountOf(sid)) +
                          " " + std::to_string(allowed->Mask));
    }
    return entries;
}

const std::string kUserAllowedAll = "0 " + CurrentUser() + " " + std::to_string(FILE_ALL_ACCESS);

// The descriptor keygen's file is created with: a protected access list, so that nothing of
// the folder's is inherited, with one entry, full access for the current user.
TEST(OwnerOnlySecurityTest, LetsInTheCurrentUserAloneAndInheritsNothing) {
    OwnerOnlySecurity security;
    const PSECURITY_DESCRIPTOR descriptor = security.Attributes()->lpSecurityDescriptor;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted));
    EXPECT_TRUE(present);
    EXPECT_EQ(EntriesOf(acl), std::vector<std::string>{kUserAllowedAll});
}

// The key file as the system reports it. Windows reports the descriptor above. Wine keeps a
// file's rights as its Unix mode alone and reports them as entries for the owner and SYSTEM, and
// Everyone for the others' bits (which a file of the folder's default rights has): nobody else
// may be let in.
TEST_F(ToolFileSystemTest, TheKeyFileLetsInNobodyButTheCurrentUser) {
    const std::string key = Path("key.pem");
    ASSERT_EQ(Keygen(key).status, kExitOk);
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoA(key.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, &acl, nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    const std::unique_ptr<void, decltype(&LocalFree)> owned(descriptor, LocalFree);
    std::vector<std::string> entries = EntriesOf(acl);
    std::erase(entries, "0 SYSTEM " + std::to_string(FILE_ALL_ACCESS));  // Wine's own
    EXPECT_EQ(entries, std::vector<std::string>{kUserAllowedAll});
}
#endif

// What stands at the target before WriteAtomically, and what the folder holds after it.
struct Replacement {
    std::string what;
    std::string target;
    std::function<void()> lay;
    bool written;
    std::map<std::string, std::string> after;
};

TEST_F(ToolFileSystemTest, WriteAtomicallyReplacesTheWholeFileOrLeavesItAsItWas) {
    const std::vector<Replacement> replacements = {
        {"a new file", "feed.txt", [] {}, true, {{"feed.txt", "new bytes"}}},
        {"a file replaced",
         "feed.txt",
         [&] { Put("feed.txt", "old"); },
         true,
         {{"feed.txt", "new bytes"}}},
        {"a missing folder", "missing/feed.txt", [] {}, false, {}},
        {"a folder in the way",
         "feed.txt",
         [&] {
             fs::create_directory(Path("feed.txt"));
             Put("feed.txt/inside.txt", "kept");
         },
         false,
         {{"feed.txt", "<folder>"}, {"feed.txt/inside.txt", "kept"}}},
#ifndef _WIN32
        // The link is replaced by the file; what it pointed to is left alone.
        {"a symbolic link replaced",
         "feed.txt",
         [&] {
             Put("other.txt", "kept");
             fs::create_symlink(Path("other.txt"), Path("feed.txt"));
         },
         true,
         {{"feed.txt", "new bytes"}, {"other.txt", "kept"}}},
#endif
    };
    for (const Replacement& replacement : replacements) {
        Empty();
        replacement.lay();
        std::string error;
        try {
            WriteAtomically(files, Path(replacement.target), "new bytes");
        } catch (const std::runtime_error& failure) {
            error = failure.what();
        }
        EXPECT_EQ(error.empty(), replacement.written) << replacement.what << ": " << error;
        if (!replacement.written) {
            EXPECT_EQ(error.find("cannot write " + Path(replacement.target) + ": "), 0u)
                << replacement.what << ": " << error;
        }
        EXPECT_EQ(Entries(), replacement.after) << replacement.what;
    }
}

}  // namespace

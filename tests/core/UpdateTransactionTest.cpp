// An update script as one transaction, on the fake disk: every way a step can fail, and a kill
// at every change, leaves the disk as it was before the update (after the next start, for a
// kill); a script that ends well leaves exactly the new state.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/FakeUpdater.h"
#include "core/transaction/JournalStep.h"
#include "core/transaction/TransactionFiles.h"

namespace {

constexpr const char* kInformationUrl = "http://server/info.txt";
constexpr const char* kVersionFile = "C:\\App\\version.txt";
constexpr const char* kJournal = "C:\\App\\~qm.journal";

// MKD, DWN over a file, DEL of a read-only hidden file, ERD of a tree of read-only, hidden and
// system files, RMD, DWN of a new file: each kind of step once, with old folders' times set.
constexpr const char* kUpdateScript =
    "MKD \\new\r\n"
    "DWN http://server/app.exe;\\app.exe\r\n"
    "DEL \\old\\notes.txt\r\n"
    "RMD \\old\r\n"
    "ERD \\plugins\r\n"
    "RMD \\empty\r\n"
    "DWN http://server/readme.txt;\\new\\readme.txt\r\n"
    "VER 1.1\r\n";

void SetUpFolder(FakePlatform& platform) {
    platform.files[kVersionFile] = "VER 1.0";
    platform.files["C:\\App\\app.exe"] = "old program";
    platform.stamps["C:\\App\\app.exe"] = {0x20, 11, 12};
    platform.folders.insert("C:\\App\\old");
    platform.stamps["C:\\App\\old"] = {0, 21, 22};
    platform.files["C:\\App\\old\\notes.txt"] = "notes";
    platform.stamps["C:\\App\\old\\notes.txt"] = {kAttributeReadOnly | kAttributeHidden, 31, 32};
    platform.folders.insert("C:\\App\\plugins");
    platform.stamps["C:\\App\\plugins"] = {0, 41, 42};
    platform.folders.insert("C:\\App\\plugins\\deep");
    platform.files["C:\\App\\plugins\\one.dll"] = "one";
    platform.stamps["C:\\App\\plugins\\one.dll"] = {0x1 | 0x2 | 0x4, 51, 52};
    platform.files["C:\\App\\plugins\\deep\\two.dll"] = "two";
    platform.folders.insert("C:\\App\\empty");
    platform.stamps["C:\\App\\empty"] = {kAttributeHidden | 0x4, 61, 62};
    platform.server["http://server/app.exe"] = "new program";
    platform.server["http://server/readme.txt"] = "read me";
}

std::string Feed(const std::string& updateScript) {
    return "CMV 1.1;new version;http://server/1.1.qsc\r\n" + updateScript;
}

// What the program's folder holds: its own last-write time changes on every path, failed or not
// (the update check's temporary file comes and goes in it), so it is left out.
FakePlatform::Disk Contents(FakePlatform& platform) {
    FakePlatform::Disk disk = platform.Snapshot();
    disk.stamps.erase("C:\\App");
    return disk;
}

struct Update {
    Update() {
        SetUpFolder(app.platform);
        app.platform.server[kInformationUrl] = Feed("");
        app.platform.server["http://server/inner.qsc"] = "VER";
    }
    void Script(const std::string& text) { app.platform.server["http://server/1.1.qsc"] = text; }
    void Run() { app.updater.RunUpdateCheck(); }

    FakeUpdater app;
};

// What differs between two disks, for the failure messages.
std::string Difference(const FakePlatform::Disk& left, const FakePlatform::Disk& right) {
    std::string difference;
    auto compare = [&](const auto& a, const auto& b, const char* mark) {
        for (const auto& [path, value] : a) {
            const auto found = b.find(path);
            if (found == b.end()) {
                difference += std::string(mark) + path + "; ";
            } else if (!(found->second == value)) {
                difference += "changed " + path + "; ";
            }
        }
    };
    compare(left.stamps, right.stamps, "only before: ");
    for (const auto& [path, value] : right.stamps) {
        if (left.stamps.count(path) == 0) {
            difference += "only after: " + path + "; ";
        }
    }
    compare(left.files, right.files, "file only before: ");
    return difference;
}

// The disk of `crashed` after a fresh start of the updater on it.
FakePlatform::Disk AfterRestart(const FakePlatform& crashed, std::vector<std::string>* log) {
    FakeWindow window;
    FakePlatform platform = crashed;
    platform.failingChange = -1;
    platform.crash = false;
    Updater updater(window, platform.Roles());
    updater.StartUp();
    if (log != nullptr) {
        *log = window.LogLines();
    }
    return Contents(platform);
}

// The disk once the whole update script has run and committed.
FakePlatform::Disk NewState() {
    Update update;
    update.Script(kUpdateScript);
    update.Run();
    EXPECT_EQ(update.app.state.UpdateFailed, 0);
    return Contents(update.app.platform);
}

TEST(UpdateTransactionTest, ScriptThatEndsWellLeavesExactlyTheNewState) {
    Update update;
    update.Script(kUpdateScript);
    update.Run();
    const FakePlatform& disk = update.app.platform;
    EXPECT_EQ(update.app.state.UpdateFailed, 0);
    EXPECT_EQ(disk.files.at("C:\\App\\app.exe"), "new program");
    EXPECT_EQ(disk.files.at("C:\\App\\new\\readme.txt"), "read me");
    EXPECT_EQ(disk.folders.count("C:\\App\\old"), 0u);
    EXPECT_EQ(disk.folders.count("C:\\App\\plugins"), 0u);
    EXPECT_EQ(disk.folders.count("C:\\App\\empty"), 0u);
    // Nothing of the transaction is left: no journal, no aside copy, no staged download.
    for (const auto& [path, content] : disk.files) {
        EXPECT_EQ(path.find("~qm"), std::string::npos) << path;
        EXPECT_NE(path, "C:\\App\\Script.qsc");
    }
    for (const std::string& folder : disk.folders) {
        EXPECT_EQ(folder.find("~qm"), std::string::npos) << folder;
    }
}

TEST(UpdateTransactionTest, EveryKindOfFailingLineRestoresTheFolderExactly) {
    struct Case {
        const char* name;
        std::string failingLine;
    };
    const std::string pin = "sha256=" + std::string(64, 'a');
    for (const Case& c : {
             Case{"a 404", "DWN http://server/missing.bin;\\data.bin"},
             Case{"a pin mismatch", "DWN http://server/readme.txt;\\data.bin;" + pin},
             Case{"an unknown command", "XYZ what"},
             // The update script's own trap is armed by then: a nested offer's script is where a
             // failure goes to a CMV line's trap.
             Case{"a failure a CMV line's trap reports", "CMV 3.0;d;http://server/inner.qsc"},
             Case{"a refused erase of the program's folder", "ERD \\"},
             Case{"a failing RMD", "RMD \\new"},
         }) {
        Update update;
        const FakePlatform::Disk before = Contents(update.app.platform);
        update.Script(kUpdateScript + c.failingLine);
        update.Run();
        EXPECT_EQ(update.app.state.UpdateFailed, 1) << c.name;
        EXPECT_TRUE(Contents(update.app.platform) == before)
            << c.name << ": " << Difference(before, Contents(update.app.platform));
        EXPECT_EQ(update.app.window.LogLines().back(), "UpdateFailedErrorMessage") << c.name;
    }
}

TEST(UpdateTransactionTest, AFailureAtAnyChangeLeavesTheOldOrTheNewState) {
    Update reference;
    const FakePlatform::Disk before = Contents(reference.app.platform);
    const FakePlatform::Disk after = NewState();
    bool sawRollback = false;
    for (int change = 0;; ++change) {
        Update update;
        update.Script(kUpdateScript);
        update.app.platform.changes = 0;
        update.app.platform.failingChange = change;
        update.Run();
        if (update.app.platform.changes <= change) {
            break;  // the whole update ran without reaching the failing change
        }
        // A commit that a failure cut short is finished at the next start.
        const std::vector<std::string> log = update.app.window.LogLines();
        const bool updated = std::count(log.begin(), log.end(), "UpdateFinished") == 1;
        sawRollback = sawRollback || !updated;
        EXPECT_TRUE(AfterRestart(update.app.platform, nullptr) == (updated ? after : before))
            << "failing change " << change;
    }
    EXPECT_TRUE(sawRollback);
}

TEST(UpdateTransactionTest, AKillAtAnyChangeIsUndoneAtTheNextStart) {
    Update reference;
    const FakePlatform::Disk before = Contents(reference.app.platform);
    const FakePlatform::Disk after = NewState();
    for (int change = 0;; ++change) {
        Update update;
        update.Script(kUpdateScript);
        update.app.platform.changes = 0;
        update.app.platform.failingChange = change;
        update.app.platform.crash = true;
        try {
            update.Run();
            break;  // the whole update ran before the kill came
        } catch (const FakeCrash&) {
        }
        // Killed after the commit line (or once the journal is gone with the new program in
        // place): the commit is finished. Killed before it: the update is undone.
        const std::map<std::string, std::string>& files = update.app.platform.files;
        const bool journalled = files.count(kJournal) != 0;
        const bool committed = journalled ? ParseJournal(files.at(kJournal)).committed
                                          : files.at("C:\\App\\app.exe") == "new program";
        const bool undoes = journalled && !committed && !ParseJournal(files.at(kJournal)).steps.empty();
        std::vector<std::string> log;
        const FakePlatform::Disk settled = AfterRestart(update.app.platform, &log);
        EXPECT_TRUE(settled == (committed ? after : before))
            << "killed at change " << change << " (" << (committed ? "committed" : "undone")
            << "): " << Difference(committed ? after : before, settled);
        EXPECT_EQ(std::count(log.begin(), log.end(), "UpdateUndoneMessage"), undoes ? 1 : 0)
            << "killed at change " << change;
    }
}

TEST(UpdateTransactionTest, EachAcceptedVersionIsItsOwnTransactionAndOffCommits) {
    struct Case {
        const char* name;
        const char* secondScript;
        bool secondKept;
    };
    for (const Case& c : {Case{"second fails", "DWN http://server/two.txt;\\two.txt\r\nXYZ", false},
                          Case{"second ends with OFF", "DWN http://server/two.txt;\\two.txt\r\nOFF\r\nXYZ", true}}) {
        Update update;
        update.app.platform.server[kInformationUrl] =
            "CMV 1.1;one;http://server/1.1.qsc\r\nCMV 1.2;two;http://server/1.2.qsc";
        update.Script("DWN http://server/app.exe;\\app.exe");
        update.app.platform.server["http://server/1.2.qsc"] = c.secondScript;
        update.app.platform.server["http://server/two.txt"] = "two";
        update.Run();
        const FakePlatform& disk = update.app.platform;
        EXPECT_EQ(disk.files.at("C:\\App\\app.exe"), "new program") << c.name;
        EXPECT_EQ(disk.files.count("C:\\App\\two.txt"), c.secondKept ? 1u : 0u) << c.name;
        EXPECT_EQ(disk.files.count(kJournal), 0u) << c.name;
    }
}

// Aside copies and staged downloads are numbered in the order the transaction names them.
constexpr const char* kFirstAside = "C:\\App\\~qm00000000.old";
constexpr const char* kAsideAfterStaging = "C:\\App\\~qm00000001.old";

// Calls `act` once the update script has been downloaded, before it runs.
void OnceTheScriptIsStored(Update& update, std::function<void()> act) {
    update.app.platform.onStored = [act](const std::string& path) {
        if (path == "C:\\App\\Script.qsc") {
            act();
        }
    };
}

TEST(UpdateTransactionTest, AFileInUseIsAskedAboutUntilRetryWorksOrCancelUndoesTheUpdate) {
    for (const int answer : {kAnswerRetry, kAnswerCancel}) {
        Update update;
        const FakePlatform::Disk before = Contents(update.app.platform);
        update.Script("DEL \\old\\notes.txt\r\nDWN http://server/app.exe;\\app.exe");
        update.app.window.answers = {kAnswerYes, answer};
        OnceTheScriptIsStored(update, [&update] {
            update.app.platform.inUse["C:\\App\\app.exe"] = "Example App";
            // The user closes the program while the box is open.
            update.app.window.onMessageBox = [&update] { update.app.platform.inUse.clear(); };
        });
        update.Run();
        const ShownMessageBox& retryBox = update.app.window.boxes.at(2);
        EXPECT_EQ(retryBox.style, MessageBoxStyle::RetryCancel);
        EXPECT_EQ(retryBox.text, "FileInUseByProgramMessage C:\\App\\app.exe Example App");
        if (answer == kAnswerRetry) {
            EXPECT_EQ(update.app.state.UpdateFailed, 0);
            EXPECT_EQ(update.app.platform.files.at("C:\\App\\app.exe"), "new program");
        } else {
            EXPECT_EQ(update.app.window.boxes.back().text,
                      "Error: DownloadError in line [DWN http://server/app.exe;\\app.exe]");
            EXPECT_TRUE(Contents(update.app.platform) == before);
        }
    }
}

TEST(UpdateTransactionTest, AnAsideCopyStillInUseAtCommitIsRemovedAtTheNextStart) {
    Update update;
    update.Script("DWN http://server/app.exe;\\app.exe");
    // The old program keeps running from its aside copy: it cannot be deleted yet.
    OnceTheScriptIsStored(update, [&update] {
        update.app.platform.undeletable.insert(kAsideAfterStaging);
    });
    update.Run();
    EXPECT_EQ(update.app.state.UpdateFailed, 0);
    EXPECT_EQ(update.app.platform.files.count(kAsideAfterStaging), 1u);
    update.app.platform.undeletable.clear();
    const FakePlatform::Disk settled = AfterRestart(update.app.platform, nullptr);
    for (const auto& [path, content] : settled.files) {
        EXPECT_EQ(path.find("~qm"), std::string::npos) << path;
    }
    EXPECT_EQ(settled.files.at("C:\\App\\app.exe"), "new program");
}

TEST(UpdateTransactionTest, AnUndoThatCannotRestoreAPathLogsItAndTheNextStartTriesAgain) {
    Update update;
    const FakePlatform::Disk before = Contents(update.app.platform);
    update.Script("DEL \\old\\notes.txt\r\nXYZ");
    // Another program opens the aside copy before the undo can rename it back.
    OnceTheScriptIsStored(update, [&update] { update.app.platform.inUse[kFirstAside] = ""; });
    update.Run();
    const std::vector<std::string> log = update.app.window.LogLines();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "RestoreFailedMessage C:\\App\\old\\notes.txt"),
              log.end());
    EXPECT_EQ(update.app.platform.files.count(kJournal), 1u);
    update.app.platform.inUse.clear();
    std::vector<std::string> restartLog;
    EXPECT_TRUE(AfterRestart(update.app.platform, &restartLog) == before);
    EXPECT_EQ(restartLog.back(), "UpdateUndoneMessage");
}

TEST(UpdateTransactionTest, AnErasedDriveRootsEntriesGoAsideOneByOne) {
    for (const bool fails : {false, true}) {
        Update update;
        FakePlatform& disk = update.app.platform;
        disk.folders.insert("D:");
        disk.folders.insert("D:\\games");
        disk.files["D:\\games\\save.dat"] = "save";
        disk.files["D:\\notes.txt"] = "notes";
        // A root's own times are not put back: Windows may refuse to set them.
        auto entries = [&disk] {
            FakePlatform::Disk contents = Contents(disk);
            contents.stamps.erase("D:");
            return contents;
        };
        const FakePlatform::Disk before = entries();
        update.Script(fails ? "ERD D:\\\r\nXYZ" : "ERD D:\\");
        update.Run();
        if (fails) {
            EXPECT_TRUE(entries() == before) << Difference(before, entries());
        } else {
            EXPECT_EQ(disk.EntryNames("D:"), std::vector<std::string>{});
            EXPECT_EQ(disk.folders.count("D:"), 1u);  // a root is emptied, never removed
        }
    }
}

TEST(UpdateTransactionTest, TheFolderOfAnEntryIsWhatItsLastSeparatorEnds) {
    struct Case {
        const char* path;
        const char* holdingFolder;  // whose times an undo puts back
    };
    for (const Case& c : {Case{"C:\\App\\plugins\\spell.dll", "C:\\App\\plugins"},
                          Case{"C:\\App\\plugins\\", "C:\\App"},
                          Case{"C:\\App\\plugins\\spell:dll", "C:\\App\\plugins"},
                          Case{"C:\\App/data/x.txt", "C:\\App/data"},
                          Case{"C:\\x.txt", ""}, Case{"C:x.txt", ""}, Case{"x.txt", ""}}) {
        EXPECT_EQ(HoldingFolder(c.path), c.holdingFolder) << c.path;
    }
}

TEST(UpdateTransactionTest, JournalLinesKeepEveryByteOfAPathAndACutLineIsIgnored) {
    const JournalStep step{StepKind::Replaced, "C:\\A\tb\r%41\x7f", "C:\\~qm00000001.old",
                           "C:\\~qm00000000.new", {0x27, 1234567890123ull, 42}};
    const std::string line = FormatStep(step);
    EXPECT_EQ(line.find_first_of("\r", 0), std::string::npos);
    const std::string journal = std::string(kJournalHeader) + line + line.substr(0, 20);
    const JournalContent content = ParseJournal(journal);
    ASSERT_EQ(content.steps.size(), 1u);
    EXPECT_EQ(content.steps[0], step);
    EXPECT_FALSE(content.committed);
    EXPECT_TRUE(ParseJournal(journal + "\n" + std::string(kCommitLine)).committed);
}

}  // namespace

#include "core/transaction/StepUndo.h"

#include <exception>

#include "core/transaction/TransactionFiles.h"

namespace {

// Removes what a step put at `path` (a downloaded file).
void RemoveFileOfOurs(FileSystem& files, const std::string& path) {
    files.ResetAttributesAndDelete(path);
}

// The aside copy goes back to its name with the attributes and times it had. They are put on
// the copy first, so that a crash right after the rename leaves nothing to do but the rename.
void MoveBack(FileSystem& files, const JournalStep& step) {
    files.WriteStamp(step.aside, step.stamp);
    files.MoveEntry(step.aside, step.path, false);
    files.WriteStamp(step.path, step.stamp);
}

// A download's file: while the staged file is still there it never took the target's place;
// once it is gone, the file at the target is the new one, and the old one (if any) is aside.
void UndoReplaced(FileSystem& files, const JournalStep& step) {
    const bool stillStaged = files.EntryExists(step.staged);
    if (stillStaged) {
        RemoveFileOfOurs(files, step.staged);
    }
    if (step.aside.empty()) {
        if (!stillStaged && files.EntryExists(step.path)) {
            RemoveFileOfOurs(files, step.path);
        }
        return;
    }
    if (files.EntryExists(step.aside)) {
        if (files.EntryExists(step.path)) {
            RemoveFileOfOurs(files, step.path);
        }
        MoveBack(files, step);
    }
}

void UndoStep(FileSystem& files, const JournalStep& step) {
    switch (step.kind) {
    case StepKind::Stamp:
        if (files.EntryExists(step.path)) {
            files.WriteStamp(step.path, step.stamp);
        }
        return;
    case StepKind::Aside:
        if (files.EntryExists(step.aside)) {
            MoveBack(files, step);
        }
        return;
    case StepKind::Staged:
        // A run killed during the download leaves the staged file or the download's own
        // temporary file beside it.
        if (files.EntryExists(step.staged)) {
            RemoveFileOfOurs(files, step.staged);
        }
        if (const std::string folder = WithoutTrailingBackslash(
                step.staged.substr(0, EntryNameStart(step.staged)));
            !folder.empty()) {
            RemoveTemporaryFiles(files, folder);
        }
        return;
    case StepKind::Replaced:
        UndoReplaced(files, step);
        return;
    case StepKind::MadeFolder:
        if (files.EntryExists(step.path)) {
            files.RemoveEmptyFolder(step.path);
        }
        return;
    case StepKind::RemovedFolder:
        if (!files.EntryExists(step.path)) {
            files.MakeFolder(step.path);
        }
        files.WriteStamp(step.path, step.stamp);
        return;
    }
}

}  // namespace

std::vector<std::string> UndoSteps(FileSystem& files, const std::vector<JournalStep>& steps) {
    std::vector<std::string> notRestored;
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        try {
            UndoStep(files, *step);
        } catch (const std::exception&) {
            notRestored.push_back(step->path);
        }
    }
    return notRestored;
}

bool RemoveOwnEntry(FileSystem& files, const std::string& path) {
    EntryStamp stamp;
    try {
        if (!files.EntryExists(path)) {
            return true;
        }
        stamp = files.ReadStamp(path);
        if ((stamp.attributes & kAttributeFolder) != 0) {
            return files.EraseDirectory(path + '\\');
        }
        files.ResetAttributesAndDelete(path);
        return true;
    } catch (const std::exception&) {
    }
    // Still held (a program runs from it): it stays hidden, for the next start.
    try {
        files.WriteStamp(path, {stamp.attributes, 0, 0});
    } catch (const std::exception&) {
    }
    return false;
}

std::vector<std::string> FinishSteps(FileSystem& files, const std::vector<JournalStep>& steps) {
    std::vector<std::string> remaining;
    for (const JournalStep& step : steps) {
        const bool keptAside = step.kind == StepKind::Aside ||
                               (step.kind == StepKind::Replaced && !step.aside.empty());
        if (keptAside && !RemoveOwnEntry(files, step.aside)) {
            remaining.push_back(step.aside);
        }
    }
    return remaining;
}

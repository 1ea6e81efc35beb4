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
    files.WriteStamp(step.other, step.stamp);
    files.MoveEntry(step.other, step.path, false);
    files.WriteStamp(step.path, step.stamp);
}

void UndoStep(FileSystem& files, const JournalStep& step) {
    switch (step.kind) {
    case StepKind::Stamp:
        if (files.EntryExists(step.path)) {
            files.WriteStamp(step.path, step.stamp);
        }
        return;
    case StepKind::Aside:
        if (files.EntryExists(step.other)) {
            MoveBack(files, step);
        }
        return;
    case StepKind::Staged:
        // A run killed during the download leaves the staged file or the download's own
        // temporary file beside it.
        if (files.EntryExists(step.other)) {
            RemoveFileOfOurs(files, step.other);
        }
        if (const std::string folder = WithoutTrailingBackslash(
                step.other.substr(0, EntryNameStart(step.other)));
            !folder.empty()) {
            RemoveTemporaryFiles(files, folder);
        }
        return;
    case StepKind::Placed:
        // Before the rename the staged file is still there; after it, the new file is.
        if (files.EntryExists(step.other)) {
            RemoveFileOfOurs(files, step.other);
        } else if (files.EntryExists(step.path)) {
            RemoveFileOfOurs(files, step.path);
        }
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
    try {
        if (!files.EntryExists(path)) {
            return true;
        }
        if ((files.ReadStamp(path).attributes & kAttributeFolder) != 0) {
            return files.EraseDirectory(path + '\\');
        }
        files.ResetAttributesAndDelete(path);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<std::string> FinishSteps(FileSystem& files, const std::vector<JournalStep>& steps) {
    std::vector<std::string> remaining;
    for (const JournalStep& step : steps) {
        if (step.kind == StepKind::Aside && !RemoveOwnEntry(files, step.other)) {
            remaining.push_back(step.other);
        }
    }
    return remaining;
}

#include "core/FakeUpdater.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

std::string FakePlatform::ReadIniString(const std::string& file, const std::string& section,
                                        const std::string& key) {
    if (file != languageFile || section != "Quillmere" || !FileExists(file)) {
        return {};
    }
    const auto found = languageTexts.find(key);
    return found == languageTexts.end() ? std::string() : found->second.substr(0, 1023);
}

std::string FakePlatform::ReadFileBytes(const std::string& path) {
    const auto found = files.find(path);
    if (found == files.end() || unreadable.count(path) != 0) {
        throw std::runtime_error("The system cannot open the file.");
    }
    return found->second;
}

void FakePlatform::RemoveFile(const std::string& path) {
    Change();
    if (undeletable.count(path) != 0) {
        throw std::runtime_error("Access is denied.");
    }
    if (files.erase(path) == 0) {
        throw std::runtime_error("The system cannot find the file specified.");
    }
    stamps.erase(path);
    Touch(path);
}

std::string FakePlatform::FinalPath(const std::string& path) {
    // Resolves "." and ".." element by element, drops a trailing backslash, and follows a link
    // at the start of the path.
    std::vector<std::string> elements;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find('\\', start);
        const std::string element =
            path.substr(start, end == std::string::npos ? end : end - start);
        if (element == "..") {
            if (elements.size() > 1) {
                elements.pop_back();
            }
        } else if (element != "." && !(element.empty() && end != std::string::npos)) {
            elements.push_back(element);
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    std::string full;
    for (const std::string& element : elements) {
        full += (full.empty() ? "" : "\\") + element;
    }
    for (const auto& [link, target] : links) {
        if (full == link || full.starts_with(link + "\\")) {
            return target + full.substr(link.size());
        }
    }
    return full;
}

bool FakePlatform::VisibleEntryExists(const std::string& path) {
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    return folders.count(folder) != 0 || files.count(path) != 0;
}

void FakePlatform::ResetAttributesAndDelete(const std::string& path) {
    RemoveFile(path);
}

namespace {

// The folder of `path`: as on the system, "/" separates too ("C:\App\a/b" is in "C:\App\a").
std::string ParentOf(const std::string& path) {
    std::string entry = path;
    if (!entry.empty() && entry.back() == '\\') {
        entry.pop_back();
    }
    const std::size_t slash = entry.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : entry.substr(0, slash);
}

std::string Bare(std::string path) {
    if (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    return path;
}

// `path` with its leading `from` replaced by `to`, when it is `from` or lies inside it.
std::optional<std::string> Moved(const std::string& path, const std::string& from,
                                 const std::string& to) {
    if (path == from) {
        return to;
    }
    if (path.starts_with(from + "\\")) {
        return to + path.substr(from.size());
    }
    return std::nullopt;
}

template <typename Map>
void MoveKeys(Map& map, const std::string& from, const std::string& to) {
    Map moved;
    for (auto it = map.begin(); it != map.end();) {
        if (const auto target = Moved(it->first, from, to)) {
            moved.emplace(*target, std::move(it->second));
            it = map.erase(it);
        } else {
            ++it;
        }
    }
    map.merge(moved);
}

}  // namespace

void FakePlatform::Change() {
    if (changes++ == failingChange) {
        if (crash) {
            throw FakeCrash{};
        }
        throw std::runtime_error("The device is not ready.");
    }
}

void FakePlatform::Touch(const std::string& path) {
    stamps[ParentOf(path)].written = ++clock_;
}

// As the system does, both take a folder with or without its trailing backslash.
void FakePlatform::MakeFolder(const std::string& folder) {
    Change();
    const std::string path = Bare(folder);
    const std::string parent = ParentOf(path);
    if (parent.size() > 2 && folders.count(parent) == 0) {
        throw std::runtime_error("The system cannot find the path specified.");
    }
    if (EntryExists(path)) {
        throw std::runtime_error("Cannot create a file when that file already exists.");
    }
    folders.insert(path);
    stamps[path] = {0, ++clock_, clock_};
    Touch(path);
}

void FakePlatform::RemoveEmptyFolder(const std::string& folder) {
    Change();
    const std::string path = Bare(folder);
    for (const auto& [file, content] : files) {
        if (file.starts_with(path + "\\")) {
            throw std::runtime_error("The directory is not empty.");
        }
    }
    for (const std::string& folder : folders) {
        if (folder.starts_with(path + "\\")) {
            throw std::runtime_error("The directory is not empty.");
        }
    }
    if (folders.erase(path) == 0) {
        throw std::runtime_error("The system cannot find the file specified.");
    }
    stamps.erase(path);
    Touch(path);
}

bool FakePlatform::EntryExists(const std::string& path) {
    const std::string entry = Bare(path);
    return files.count(entry) != 0 || folders.count(entry) != 0;
}

std::vector<std::string> FakePlatform::EntryNames(const std::string& folder) {
    std::vector<std::string> names;
    const std::string prefix = Bare(folder) + "\\";
    auto take = [&](const std::string& path) {
        if (path.starts_with(prefix) && path.find('\\', prefix.size()) == std::string::npos) {
            names.push_back(path.substr(prefix.size()));
        }
    };
    for (const auto& [path, content] : files) {
        take(path);
    }
    for (const std::string& path : folders) {
        take(path);
    }
    return names;
}

std::string FakePlatform::ActualName(const std::string& path) {
    const std::string entry = Bare(path);
    if (!EntryExists(entry)) {
        throw std::runtime_error("The system cannot find the file specified.");
    }
    return entry.substr(entry.rfind('\\') + 1);
}

EntryStamp FakePlatform::ReadStamp(const std::string& path) {
    const std::string entry = Bare(path);
    if (!EntryExists(entry)) {
        throw std::runtime_error("The system cannot find the file specified.");
    }
    const auto found = stamps.find(entry);
    EntryStamp stamp = found == stamps.end() ? EntryStamp{} : found->second;
    if (folders.count(entry) != 0) {
        stamp.attributes |= kAttributeFolder;
    }
    return stamp;
}

void FakePlatform::WriteStamp(const std::string& path, const EntryStamp& stamp) {
    Change();
    const std::string entry = Bare(path);
    if (!EntryExists(entry)) {
        throw std::runtime_error("The system cannot find the file specified.");
    }
    if (stamp.created == 0 && stamp.written == 0) {
        stamps[entry].attributes = stamp.attributes & ~kAttributeFolder;
        return;
    }
    stamps[entry] = {stamp.attributes & ~kAttributeFolder, stamp.created, stamp.written};
}

void FakePlatform::MoveEntry(const std::string& source, const std::string& target, bool replace) {
    Change();
    // Entries are named without a trailing backslash, as EntryExists sees them; a file's new
    // name cannot have one.
    const std::string from = Bare(source);
    const std::string to = Bare(target);
    if (to != target && files.count(from) != 0) {
        throw std::runtime_error(
            "The filename, directory name, or volume label syntax is incorrect.");
    }
    if (const auto held = inUse.find(from); held != inUse.end()) {
        throw EntryInUse(
            "The process cannot access the file because it is being used by another process.");
    }
    if (!EntryExists(from)) {
        throw std::runtime_error("The system cannot find the file specified.");
    }
    if (EntryExists(to)) {
        if (!replace || folders.count(to) != 0 || folders.count(from) != 0) {
            throw std::runtime_error("Cannot create a file when that file already exists.");
        }
        files.erase(to);
        stamps.erase(to);
    }
    MoveKeys(files, from, to);
    MoveKeys(stamps, from, to);
    std::set<std::string> moved;
    for (auto it = folders.begin(); it != folders.end();) {
        if (const auto target = Moved(*it, from, to)) {
            moved.insert(*target);
            it = folders.erase(it);
        } else {
            ++it;
        }
    }
    folders.merge(moved);
    Touch(from);
    Touch(to);
}

std::string FakePlatform::ProgramsUsing(const std::string& path) {
    const auto held = inUse.find(path);
    return held == inUse.end() ? std::string() : held->second;
}

namespace {

class FakeAppendOnlyFile : public AppendOnlyFile {
public:
    FakeAppendOnlyFile(std::string& content, std::function<void()> change)
        : content_(content), change_(std::move(change)) {}
    void Append(std::string_view bytes) override {
        change_();
        content_ += bytes;
    }
    void Flush() override { change_(); }

private:
    std::string& content_;
    std::function<void()> change_;
};

}  // namespace

std::unique_ptr<AppendOnlyFile> FakePlatform::OpenForAppend(const std::string& path) {
    Change();
    const std::string parent = ParentOf(path);
    if (parent.size() > 2 && folders.count(parent) == 0) {
        throw std::runtime_error("The system cannot find the path specified.");
    }
    if (files.count(path) == 0) {
        Touch(path);
    }
    // std::map keeps its elements where they are: the reference outlives other insertions.
    return std::make_unique<FakeAppendOnlyFile>(files[path], [this] { Change(); });
}

FakePlatform::Disk FakePlatform::Snapshot() {
    Disk disk{files, folders, {}};
    for (const auto& [path, content] : files) {
        disk.stamps[path] = ReadStamp(path);
    }
    for (const std::string& path : folders) {
        disk.stamps[path] = ReadStamp(path);
    }
    return disk;
}

bool FakePlatform::EraseDirectory(const std::string& path) {
    Change();
    Touch(path);
    for (auto it = files.begin(); it != files.end();) {
        if (it->first.starts_with(path)) {
            if (undeletable.count(it->first) != 0) {
                return false;
            }
            it = files.erase(it);
        } else {
            ++it;
        }
    }
    std::erase_if(folders,
                  [&](const std::string& folder) { return (folder + "\\").starts_with(path); });
    return true;
}

bool FakePlatform::LaunchExecutable(const std::string& commandLine, bool wait, int windowStyle) {
    launches.push_back((wait ? "WAIT " : "") + commandLine);
    lastWindowStyle = windowStyle;
    return launchable.count(commandLine) != 0;
}

DownloadResult FakePlatform::DownloadFile(const std::string& url, const std::string& localPath,
                                          DownloadKind kind,
                                          const std::optional<Sha256Digest>& expected) {
    downloads.push_back(url);
    downloadKinds.push_back(kind);
    if (onDownload) {
        onDownload(url);
    }
    const auto found = server.find(url);
    if (found == server.end()) {
        return DownloadResult::Failed;
    }
    if (expected && FakeDigest(found->second) != *expected) {
        return DownloadResult::DigestMismatch;
    }
    // As on the system, a file cannot be stored in a folder that is not there.
    if (const std::string parent = ParentOf(localPath);
        parent.size() > 2 && folders.count(parent) == 0) {
        return DownloadResult::Failed;
    }
    try {
        Change();
    } catch (const std::runtime_error&) {
        return DownloadResult::Failed;
    }
    files[localPath] = found->second;
    stamps[localPath] = {0, ++clock_, clock_};
    Touch(localPath);
    if (onStored) {
        onStored(localPath);
    }
    return DownloadResult::Stored;
}

Sha256Digest FakeDigest(std::string_view bytes) {
    // Four FNV-1a hashes with different offsets, side by side.
    Sha256Digest digest{};
    for (std::size_t part = 0; part < 4; ++part) {
        std::uint64_t hash = 14695981039346656037ull + part;
        for (const char c : bytes) {
            hash = (hash ^ static_cast<std::uint8_t>(c)) * 1099511628211ull;
        }
        for (std::size_t i = 0; i < 8; ++i) {
            digest[part * 8 + i] = static_cast<std::uint8_t>(hash >> (8 * i));
        }
    }
    return digest;
}

P256Signature FakeSign(const P256PublicKey& key, const Sha256Digest& digest) {
    // r and s each start with 0x01, so their DER form is the plain 32-byte one.
    P256Signature signature{};
    signature[0] = 0x01;
    signature[32] = 0x01;
    std::copy(digest.begin(), digest.end() - 1, signature.begin() + 1);
    std::copy(key.begin(), key.begin() + 31, signature.begin() + 33);
    return signature;
}

namespace {

class FakeHasher : public Sha256Hasher {
public:
    void Update(std::string_view bytes) override { bytes_ += bytes; }
    Sha256Digest Finish() override { return FakeDigest(bytes_); }

private:
    std::string bytes_;
};

}  // namespace

std::unique_ptr<Sha256Hasher> FakeCrypto::NewSha256() {
    return std::make_unique<FakeHasher>();
}

std::map<std::string, std::string> KeyNamedTexts() {
    static const char* const kKeys[] = {"ConfigurationFileError",
                                        "WindowsCaption",
                                        "WelcomeMessage",
                                        "ButtonUpdate",
                                        "ButtonClose",
                                        "ProgressionBar",
                                        "SystemMenu.HelpAbout",
                                        "VersionFileError",
                                        "UpdateInformationsFileResearchMessage",
                                        "UdpateInformationsFileErrorMessage",
                                        "UpdateInformationsFileFoundAndDownloadedMessage",
                                        "UpdateInformationsFileScanMessage",
                                        "NoUpdateAvailableMessage",
                                        "UpdateInformationsFileEndScanMessage",
                                        "UpdateFailedErrorMessage",
                                        "InvalidVersionNumberInVersionFileError",
                                        "InvalidVersionNumberError",
                                        "UpdateFound",
                                        "InstallUpdate",
                                        "Updating",
                                        "UpdateFinished",
                                        "UpdateCanceledByUser",
                                        "DownloadUpdateScriptError",
                                        "CreateDirectory",
                                        "DirectoryCreated",
                                        "DeleteMessage",
                                        "EndDeleteMessage",
                                        "EraseDirectoryError",
                                        "LaunchError",
                                        "DownloadMessage",
                                        "EndDownloadMessage",
                                        "DownloadError",
                                        "UnknownCommand",
                                        "HelpAbout.Title"};
    std::map<std::string, std::string> texts;
    for (const char* key : kKeys) {
        texts[key] = key;
    }
    texts["GenericErrorDialog"] = "Error: %ERROR% in line [%CML%]";
    texts["UpdateUndoneMessage"] = "UpdateUndoneMessage";
    texts["RestoreFailedMessage"] = "RestoreFailedMessage %FILE%";
    texts["FileInUseMessage"] = "FileInUseMessage %FILE%";
    texts["FileInUseByProgramMessage"] = "FileInUseByProgramMessage %FILE% %PROGRAM%";
    texts["UpdateFoundDescriptionDialog"] = "%DESCRIPTION%";
    return texts;
}

FakeUpdater::FakeUpdater(const std::string& configuration) {
    platform.languageTexts = KeyNamedTexts();
    platform.files[platform.languageFile] = "";
    platform.files["C:\\App\\quillmere.cfg"] = configuration;
    platform.folders.insert("C:\\App");
    updater.StartUp();
}

void FakeUpdater::Run(const std::string& script) {
    interpreter.Buffer().Append(script);
    interpreter.InterpretScript();
}

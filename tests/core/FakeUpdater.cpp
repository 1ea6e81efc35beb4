#include "core/FakeUpdater.h"

#include <algorithm>
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
    if (undeletable.count(path) != 0) {
        throw std::runtime_error("Access is denied.");
    }
    if (files.erase(path) == 0) {
        throw std::runtime_error("The system cannot find the file specified.");
    }
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

void FakePlatform::MakeFolder(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    const std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash);
    if (parent.size() > 2 && folders.count(parent) == 0) {
        throw std::runtime_error("The system cannot find the path specified.");
    }
    folders.insert(path);
}

void FakePlatform::RemoveEmptyFolder(const std::string& path) {
    for (const auto& [file, content] : files) {
        if (file.starts_with(path + "\\")) {
            throw std::runtime_error("The directory is not empty.");
        }
    }
    if (folders.erase(path) == 0) {
        throw std::runtime_error("The system cannot find the file specified.");
    }
}

bool FakePlatform::EraseDirectory(const std::string& path) {
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
    files[localPath] = found->second;
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

// The signature file's two lines and the message they sign.

#include "core/crypto/SignatureFile.h"

#include <algorithm>

#include "core/crypto/Base64.h"
#include "core/crypto/EcdsaSignatureDer.h"
#include "core/crypto/UtcTimestamp.h"

namespace {

constexpr std::string_view kExpiresWord = "expires ";
constexpr std::string_view kSignatureWord = "signature ";
constexpr std::string_view kMessageHeader = "quillmere-feed-v1\n";

// Takes the next line of `text` (ending in LF or CR LF, or at the end of the text) into `line`;
// false when a CR stands anywhere but just before an LF.
bool TakeLine(std::string_view& text, std::string_view& line) {
    std::size_t end = text.find('\n');
    line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (end != std::string_view::npos && line.ends_with('\r'))
        line.remove_suffix(1);
    return line.find('\r') == std::string_view::npos;
}

}  // namespace

std::optional<SignatureFile> ParseSignatureFile(std::string_view text, std::string& reason) {
    if (text.empty()) {
        reason = "the signature file is empty";
        return std::nullopt;
    }
    std::string_view first, second;
    if (!TakeLine(text, first) || !first.starts_with(kExpiresWord)) {
        reason = "the signature file's first line is not \"expires <date>\"";
        return std::nullopt;
    }
    SignatureFile file{std::string(first), std::string(first.substr(kExpiresWord.size())), {}};
    if (!ParseUtcTimestamp(file.expires)) {
        reason = "the expiry is not a UTC time written YYYY-MM-DDTHH:MM:SSZ";
        return std::nullopt;
    }
    if (!TakeLine(text, second) || !second.starts_with(kSignatureWord)) {
        reason = "the signature file's second line is not \"signature <base64>\"";
        return std::nullopt;
    }
    if (!text.empty()) {
        reason = "the signature file has more than two lines";
        return std::nullopt;
    }
    const std::optional<std::string> der = DecodeBase64(second.substr(kSignatureWord.size()));
    if (!der) {
        reason = "the signature is not base64";
        return std::nullopt;
    }
    std::string why;
    const std::optional<P256Signature> signature = ParseEcdsaSignatureDer(*der, why);
    if (!signature) {
        reason = "the signature is malformed: " + why;
        return std::nullopt;
    }
    file.signature = *signature;
    return file;
}

std::string FormatSignatureFile(std::string_view expires, const P256Signature& signature) {
    return std::string(kExpiresWord) + std::string(expires) + "\n" + std::string(kSignatureWord) +
           EncodeBase64(EncodeEcdsaSignatureDer(signature)) + "\n";
}

std::string SignedMessage(std::string_view url, std::string_view expiresLine,
                          std::string_view feed) {
    std::string message;
    message.reserve(kMessageHeader.size() + url.size() + expiresLine.size() + feed.size() + 2);
    message.append(kMessageHeader).append(url).append("\n");
    message.append(expiresLine).append("\n").append(feed);
    return message;
}

std::string SignatureUrl(std::string_view url) {
    url = url.substr(0, url.find('#'));
    const std::size_t query = std::min(url.find('?'), url.size());
    return std::string(url.substr(0, query)) + ".sig" + std::string(url.substr(query));
}

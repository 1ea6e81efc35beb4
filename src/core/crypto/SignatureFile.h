#pragma once
// The signature file beside an update information file (SignatureUrl of its URL):
//   expires YYYY-MM-DDTHH:MM:SSZ
//   signature <base64 of the DER ECDSA signature>
// lines ending in LF or CR LF, the last line end optional. The signature covers SignedMessage.

#include <optional>
#include <string>
#include <string_view>

#include "core/seam/Crypto.h"

struct SignatureFile {
    std::string expiresLine;  // "expires <time>", without its line end: it is signed as it is
    std::string expires;      // the time alone
    P256Signature signature;
};

// Where the signature of the update information file at `url` is: ".sig" after the URL's path,
// before its query, so "http://host/feed.txt?channel=beta" is signed by
// "http://host/feed.txt.sig?channel=beta". A fragment ("#...") never reaches the server and is
// dropped: appended after it, ".sig" would fetch the update information file itself.
std::string SignatureUrl(std::string_view url);

// The file's contents, or nothing with `reason` saying which part is wrong.
std::optional<SignatureFile> ParseSignatureFile(std::string_view text, std::string& reason);

// The file's text for `expires` (a time as above) and `signature`, lines ending in LF.
std::string FormatSignatureFile(std::string_view expires, const P256Signature& signature);

// The bytes that are signed: "quillmere-feed-v1" LF, the update information URL LF, the expires
// line LF, then the update information file exactly as downloaded.
std::string SignedMessage(std::string_view url, std::string_view expiresLine,
                          std::string_view feed);

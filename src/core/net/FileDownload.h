#pragma once
// One URL into one local file, whole or not at all: the download's logic, over any HTTP
// transport, file system and progress bar.

#include <string>

#include "core/net/HttpTransport.h"
#include "core/net/ProgressSink.h"
#include "core/net/TemporaryFile.h"
#include "core/seam/Crypto.h"
#include "core/seam/DownloadKind.h"
#include "core/seam/Downloader.h"

// Fetches `url` through `http` into `target`, each request made for `kind`. True only when the
// whole announced body of a 2xx reply arrived and now stands at `target`. Redirects (301, 302,
// 303, 307, 308) are followed as RedirectTrail allows: at most 10, no loop, never from https
// to http. Any other status, a reply without an HTTP status or a redirect without a Location, a
// Content-Length that is missing or not a number from 0 to MaximumBodyLength(kind) (refused
// before any file is created), a body shorter or longer than announced, or any failure of the
// transport, the file or the sink gives false, and then `target` is exactly as it was. After
// the announced bytes the body is read once more, to find its end: a read that yields bytes
// then fails the download, and no byte beyond the announced length is ever written. The body
// goes to a temporary file beside `target`, which is flushed to the disk and then replaces
// `target`; it is discarded on every other way out.
// `bar.ProcessPendingEvents` is called after every chunk of at most 2048 bytes; `bar` measures
// the body when its length is above 0 and reads 0 on return. Every reply and file obtained is
// closed once. Never throws.
bool DownloadToFile(const std::string& url, const std::string& target, DownloadKind kind,
                    HttpTransport& http, TemporaryFiles& files, ProgressSink& bar) noexcept;

// DownloadToFile for a body whose SHA-256 must be `expected`: the body is hashed with `crypto`
// chunk by chunk as it is written (never read back), and a whole body with another digest is
// discarded before it replaces anything (DigestMismatch; `target` as it was, no temporary file
// left). Every other promise of DownloadToFile holds; a hasher the system cannot provide is a
// failure. Never throws.
DownloadResult DownloadPinnedToFile(const std::string& url, const std::string& target,
                                    DownloadKind kind, HttpTransport& http, TemporaryFiles& files,
                                    ProgressSink& bar, Crypto& crypto,
                                    const Sha256Digest& expected) noexcept;

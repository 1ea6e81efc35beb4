#pragma once
// One URL into one local file, whole or not at all: the download's logic, over any HTTP
// transport, file system and progress bar.

#include <optional>
#include <string>

#include "core/net/HttpTransport.h"
#include "core/net/ProgressSink.h"
#include "core/net/TemporaryFile.h"
#include "core/seam/Crypto.h"
#include "core/seam/DownloadKind.h"
#include "core/seam/Downloader.h"

// Downloader::DownloadFile (core/seam/Downloader.h) through `http`, `files` and `bar`, each
// request made for `kind`; with `expected`, the body is hashed with `crypto`. What it adds:
// `bar.ProcessPendingEvents` is called after every chunk (an exception from it fails the
// download), and every reply and file obtained is closed once. Never throws.
DownloadResult DownloadToFile(const std::string& url, const std::string& target, DownloadKind kind,
                              const std::optional<Sha256Digest>& expected, HttpTransport& http,
                              TemporaryFiles& files, ProgressSink& bar, Crypto& crypto) noexcept;

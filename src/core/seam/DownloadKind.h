#pragma once
// What a download fetches: it decides whether a shared cache (a proxy, a CDN) may answer, and
// how long a body the download accepts (MaximumBodyLength, core/net/BodyLimit.h).

enum class DownloadKind {
    // The update information file, which its publisher changes in place at the same URL: always
    // from the publisher's server, never from a shared cache.
    UpdateInformation,
    // The update information file's signature file (its URL + ".sig"), changed in place with
    // it: never from a shared cache either.
    UpdateSignature,
    // An update script or a file of a release. Each release gives its files URLs of their own,
    // so a shared cache may keep them.
    ReleaseFile,
};

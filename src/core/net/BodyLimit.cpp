// A reply announcing more than its kind allows is refused before any byte is written: the update
// information file and its signature are small texts, and a server that announces gigabytes for
// them would otherwise fill the disk and then the memory that reads them back.

#include "core/net/BodyLimit.h"

#include <limits>

std::int32_t MaximumBodyLength(DownloadKind kind) {
    switch (kind) {
        case DownloadKind::UpdateInformation:
            return 16 * 1024 * 1024;
        case DownloadKind::UpdateSignature:
            return 4 * 1024;
        case DownloadKind::ReleaseFile:
            return std::numeric_limits<std::int32_t>::max();
    }
    return 0;  // no other kind exists; were one added unnamed here, it would accept no body
}

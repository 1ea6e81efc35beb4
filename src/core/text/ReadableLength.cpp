#include "core/text/ReadableLength.h"

std::string CutToReadableLength(std::string_view value) {
    if (value.size() <= kReadableLength) {
        return std::string(value);
    }
    std::string cut(value.substr(0, kReadableLength));
    cut += kCutMark;
    return cut;
}

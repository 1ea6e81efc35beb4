#include "core/crypto/Der.h"

namespace {

constexpr std::size_t kLongFormFlag = 0x80;

}  // namespace

bool DerReader::NextIs(unsigned char tag) const {
    return !rest_.empty() && static_cast<unsigned char>(rest_[0]) == tag;
}

std::optional<std::string_view> DerReader::Read(unsigned char tag) {
    return Read(tag, 2);
}

std::optional<std::string_view> DerReader::ReadShort(unsigned char tag) {
    return Read(tag, 0);
}

std::optional<std::string_view> DerReader::Read(unsigned char tag, std::size_t maxLengthBytes) {
    if (rest_.size() < 2 || static_cast<unsigned char>(rest_[0]) != tag)
        return std::nullopt;
    std::size_t length = static_cast<unsigned char>(rest_[1]);
    std::size_t header = 2;
    if (length >= kLongFormFlag) {
        const std::size_t count = length - kLongFormFlag;
        if (count < 1 || count > maxLengthBytes || rest_.size() < 2 + count)
            return std::nullopt;
        length = 0;
        for (std::size_t i = 0; i < count; ++i) {
            length = length << 8 | static_cast<unsigned char>(rest_[2 + i]);
        }
        header += count;
    }
    if (rest_.size() - header < length)
        return std::nullopt;
    const std::string_view content = rest_.substr(header, length);
    rest_.remove_prefix(header + length);
    return content;
}

std::string EncodeDerElement(unsigned char tag, std::string_view content) {
    std::string der(1, static_cast<char>(tag));
    if (content.size() >= kLongFormFlag) {
        der += static_cast<char>(0x81 + (content.size() > 0xFF));
        if (content.size() > 0xFF)
            der += static_cast<char>(content.size() >> 8);
    }
    der += static_cast<char>(content.size());
    return der.append(content);
}

#pragma once
// DER's element layout, for the few structures of signed updates and key files: one-byte tags,
// a reader that takes elements one after another, and the writing of one element.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The universal tags these structures use.
inline constexpr unsigned char kDerInteger = 0x02;
inline constexpr unsigned char kDerBitString = 0x03;
inline constexpr unsigned char kDerOctetString = 0x04;
inline constexpr unsigned char kDerObjectIdentifier = 0x06;
inline constexpr unsigned char kDerSequence = 0x30;

// Reads DER elements one after another from bytes; the bytes must outlive the reader.
class DerReader {
public:
    explicit DerReader(std::string_view der) : rest_(der) {}

    // True when nothing is left to read.
    bool AtEnd() const { return rest_.empty(); }

    // True when the next element has `tag` (its length is not looked at).
    bool NextIs(unsigned char tag) const;

    // The content of the next element, which is then passed, when it has `tag` and a length in
    // the short form or in the long form of one or two bytes, all of whose content is there.
    // Nothing otherwise, and nothing is passed.
    std::optional<std::string_view> Read(unsigned char tag);

    // The same for an element whose length must be in the short form (up to 127 bytes): the
    // only encoding DER allows of a small element, for parsers that accept one text per value.
    std::optional<std::string_view> ReadShort(unsigned char tag);

private:
    std::optional<std::string_view> Read(unsigned char tag, std::size_t maxLengthBytes);

    std::string_view rest_;
};

// The element of `tag` and `content` (at most 65,535 bytes): the length in the short form up to
// 127 bytes, in the long form above.
std::string EncodeDerElement(unsigned char tag, std::string_view content);

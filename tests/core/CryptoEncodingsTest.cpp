// The portable encodings of signed updates: base64, the key's and the signature's DER, the
// signature file, UTC times, pins and the KEY line.

#include <gtest/gtest.h>

#include "core/crypto/Base64.h"
#include "core/crypto/Der.h"
#include "core/crypto/EcdsaSignatureDer.h"
#include "core/crypto/KeyLine.h"
#include "core/crypto/P256Curve.h"
#include "core/crypto/P256KeyDer.h"
#include "core/crypto/Sha256Hex.h"
#include "core/crypto/SignatureFile.h"
#include "core/crypto/UtcTimestamp.h"
#include "core/script/PinField.h"

namespace {

// Made with `openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256` and `openssl pkey
// -pubout -outform DER | base64 -w0`; the signature by `openssl dgst -sha256 -sign`.
constexpr std::string_view kOpensslKey =
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAELS89+QlzUbkrASDt0sEmcI8O6Hmb5avBlbAWZZnB/"
    "3WZ71RTmNBPoEul0gDqOEWQGwnpU7nHCZ5zphENmi60LQ==";
constexpr std::string_view kOpensslSignature =
    "MEQCIAJZKIWYcJkT1Hu9Qi4eArpjK7IwvdC15b1hzKn3Pv24AiAYmm3oF7h2QlPtlWi0ZeK9SLjW+g+"
    "TBYsOL0JPkvEDOg==";

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) bytes += static_cast<char>(value);
    return bytes;
}

// Checks that `parse` refuses each text with a reason that holds the expected words.
template <typename Parse>
void ExpectRefused(Parse parse,
                   std::initializer_list<std::pair<std::string, std::string_view>> cases) {
    for (const auto& [text, expected] : cases) {
        std::string reason;
        EXPECT_FALSE(parse(text, reason)) << EncodeBase64(text);
        EXPECT_FALSE(reason.empty()) << EncodeBase64(text);
        EXPECT_NE(reason.find(expected), std::string::npos) << reason;
    }
}

TEST(Base64, EncodesAndDecodesTheRfcVectors) {
    const std::pair<std::string_view, std::string_view> vectors[] = {{"", ""},
                                                                     {"f", "Zg=="},
                                                                     {"fo", "Zm8="},
                                                                     {"foo", "Zm9v"},
                                                                     {"foob", "Zm9vYg=="},
                                                                     {"fooba", "Zm9vYmE="},
                                                                     {"foobar", "Zm9vYmFy"}};
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(EncodeBase64(bytes), text);
        EXPECT_EQ(DecodeBase64(text), std::string(bytes)) << text;
    }
    EXPECT_EQ(DecodeBase64(EncodeBase64(Bytes({0, 0xFF, 0x80, 0x7F}))),
              Bytes({0, 0xFF, 0x80, 0x7F}));
}

TEST(Base64, RefusesEveryNonCanonicalText) {
    for (std::string_view text : {"Zg=", "Zg", "Zh==", "Zm9=", "Zm9vY===", "Z===", "====",
                                  "Zg==Zg==", "Zm 9v", "Zm9v\n", "Zm-v", "Zm_v", "=m9v", "Zm=v"}) {
        EXPECT_FALSE(DecodeBase64(text)) << text;
    }
}

TEST(Der, ElementsOfEveryLengthFormReadBackAndTheReaderMovesOn) {
    for (std::size_t size : {0, 1, 127, 128, 255, 256, 65535}) {
        const std::string content(size, 'c');
        const std::string der = EncodeDerElement(kDerOctetString, content) + Bytes({0x05, 0x00});
        EXPECT_EQ(der.size(), size + (size < 128 ? 2 : size < 256 ? 3 : 4) + 2) << size;
        DerReader reader(der);
        EXPECT_EQ(reader.Read(kDerOctetString), content) << size;
        EXPECT_EQ(reader.Read(0x05), "") << size;
        EXPECT_TRUE(reader.AtEnd());
    }
}

TEST(Der, RefusedElementsAreNotPassed) {
    // Each: the bytes, and whether Read takes them (ReadShort takes none of them).
    const std::pair<std::string, bool> cases[] = {
        {Bytes({0x04, 0x01, 0x41}), false},                          // another tag
        {Bytes({0x02}), false},                                      // no length
        {Bytes({0x02, 0x02, 0x01}), false},                          // the content cut short
        {Bytes({0x02, 0x80, 0x01, 0x00}), false},                    // an indefinite length
        {Bytes({0x02, 0x83, 0x00, 0x00, 0x01, 0x01}), false},        // three length bytes
        {Bytes({0x02, 0x82, 0x01}), false},                          // the length cut short
        {Bytes({0x02, 0x81, 0x80}) + std::string(128, 'c'), true}};  // the long form
    for (const auto& [der, taken] : cases) {
        DerReader reader(der), shortOnly(der);
        EXPECT_EQ(reader.Read(kDerInteger).has_value(), taken) << EncodeBase64(der);
        EXPECT_FALSE(shortOnly.ReadShort(kDerInteger)) << EncodeBase64(der);
        EXPECT_TRUE(shortOnly.NextIs(static_cast<unsigned char>(der[0]))) << EncodeBase64(der);
    }
}

TEST(P256KeyDer, ReadsOpensslsKeyAndWritesTheSameBytes) {
    const std::string der = *DecodeBase64(kOpensslKey);
    std::string reason;
    const auto key = ParseP256PublicKeyDer(der, reason);
    ASSERT_TRUE(key) << reason;
    EXPECT_EQ((*key)[0], 0x2D);
    EXPECT_EQ((*key)[63], 0x2D);
    EXPECT_EQ(EncodeP256PublicKeyDer(*key), der);
}

TEST(P256KeyDer, RefusesOtherStructuresWithAReason) {
    const std::string good = *DecodeBase64(kOpensslKey);
    std::string otherCurve = good, compressed = good;
    otherCurve[22] = 0x22;  // secp384r1's last arc
    compressed[26] = 0x02;
    ExpectRefused(ParseP256PublicKeyDer, {{"", "not the DER"},
                                          {good.substr(0, 90), "65 bytes"},
                                          {good + "x", "65 bytes"},
                                          {otherCurve, "P-256"},
                                          {compressed, "uncompressed"}});
}

TEST(EcdsaSignatureDer, RoundTripsOpensslsSignatureAndShortIntegers) {
    const std::string der = *DecodeBase64(kOpensslSignature);
    std::string reason;
    const auto signature = ParseEcdsaSignatureDer(der, reason);
    ASSERT_TRUE(signature) << reason;
    EXPECT_EQ(EncodeEcdsaSignatureDer(*signature), der);

    P256Signature edge{};  // r = 1 (one byte), s with its top bit set (a leading zero byte)
    edge[31] = 1;
    edge[32] = 0x80;
    const std::string edgeDer = EncodeEcdsaSignatureDer(edge);
    EXPECT_EQ(edgeDer.substr(0, 5), Bytes({0x30, 0x26, 0x02, 0x01, 0x01}));
    EXPECT_EQ(ParseEcdsaSignatureDer(edgeDer, reason), edge);
}

TEST(EcdsaSignatureDer, RefusesLaxDer) {
    const std::string one = Bytes({0x02, 0x01, 0x01});
    const std::string_view header = "SEQUENCE", integer = "r or s";  // which part is refused
    ExpectRefused(ParseEcdsaSignatureDer,
                  {{"", header},
                   {Bytes({0x30, 0x00}), integer},
                   {Bytes({0x30, 0x06}) + one + one + "x", header},  // trailing byte
                   {Bytes({0x31, 0x06}) + one + one, header},        // not a SEQUENCE
                   {Bytes({0x30, 0x81, 0x06}) + one + one, header},  // long length form
                   {Bytes({0x30, 0x07, 0x02, 0x02, 0x00, 0x01}) + one, integer},     // padded
                   {Bytes({0x30, 0x06, 0x02, 0x01, 0x81}) + one, integer},           // negative
                   {Bytes({0x30, 0x06, 0x02, 0x01, 0x00}) + one, integer},           // zero
                   {Bytes({0x30, 0x03}) + one, integer},                             // s missing
                   {Bytes({0x30, 0x07}) + one + Bytes({0x02, 0x05, 0x01}), header},  // s cut
                   {Bytes({0x30, 0x26, 0x02, 0x21, 0x01}) + std::string(32, '\x01') + one,
                    integer}});  // r of 33 value bytes
}

TEST(UtcTimestamp, ParsesRealDatesOnlyAndFormatsBack) {
    EXPECT_EQ(ParseUtcTimestamp("1970-01-01T00:00:00Z"), 0);
    EXPECT_EQ(ParseUtcTimestamp("2024-02-29T23:59:59Z"), 1709251199);
    for (std::int64_t seconds : {0LL, 1709251199LL, 4102444800LL, 951782400LL}) {
        EXPECT_EQ(ParseUtcTimestamp(FormatUtcTimestamp(seconds)), seconds);
    }
    for (std::string_view text :
         {"2023-02-29T00:00:00Z", "2100-02-29T00:00:00Z", "2027-13-01T00:00:00Z",
          "2027-00-01T00:00:00Z", "2027-04-31T00:00:00Z", "2027-03-00T00:00:00Z",
          "2027-03-01T24:00:00Z", "2027-03-01T00:60:00Z", "2027-03-01T00:00:60Z",
          "2027-03-01 00:00:00Z", "2027-03-01T00:00:00", "2027-03-01T00:00:00z",
          "2027-3-01T00:00:00Z", "2027-03-01T00:00:00Z ", "+027-03-01T00:00:00Z", ""}) {
        EXPECT_FALSE(ParseUtcTimestamp(text)) << text;
    }
}

TEST(Sha256Pin, ReadsEitherCaseAndRefusesAnythingElse) {
    const std::string hex(64, 'a');
    const auto digest =
        ParseSha256PinField("sha256=" + std::string(32, 'A') + std::string(32, 'f'));
    ASSERT_TRUE(digest);
    EXPECT_EQ(Sha256Hex(*digest), std::string(32, 'a') + std::string(32, 'f'));
    for (const std::string& field :
         {"sha256=" + hex.substr(1), "sha256=" + hex + "0", "sha256=" + hex.substr(1) + "g",
          "sha256:" + hex, hex}) {
        EXPECT_FALSE(ParseSha256PinField(field)) << field;
    }
    EXPECT_TRUE(ParseSha256PinField("SHA256=" + hex));
    EXPECT_TRUE(IsSha256PinField("sha256=xyz"));
    EXPECT_TRUE(IsSha256PinField("Sha256=xyz"));
    EXPECT_FALSE(IsSha256PinField("sha25"));
}

TEST(P256Curve, TheGeneratorIsOnTheCurveAndNearbyPointsAreNot) {
    // The curve's generator G, x then y, from the curve's definition.
    const std::optional<std::string> generator = DecodeBase64(
        "axfR8uEsQkf4vOblY6RA8ncDfYEt6zOg9KE5RdiYwpZP40Li/hp/m47n60p8D54WK84zV2sxXs7LtkBoN79R9Q==");
    ASSERT_TRUE(generator);
    P256PublicKey key;
    std::copy(generator->begin(), generator->end(), key.begin());
    EXPECT_TRUE(IsOnP256Curve(key));
    P256PublicKey otherY = key;
    otherY[63] ^= 1;
    EXPECT_FALSE(IsOnP256Curve(otherY));
    P256PublicKey primeX = key;  // x = p, which is 0 modulo p: out of range
    const std::uint8_t prime[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0,
                                    0,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::copy(std::begin(prime), std::end(prime), primeX.begin());
    EXPECT_FALSE(IsOnP256Curve(primeX));
    EXPECT_FALSE(IsOnP256Curve(P256PublicKey{}));
}

TEST(KeyLine, ReadsOpensslsLineAndExplainsWhatIsWrong) {
    std::string reason;
    const auto key = ParseKeyLine(" " + std::string(kOpensslKey) + "\t", reason);
    ASSERT_TRUE(key) << reason;
    EXPECT_EQ(FormatKeyLine(*key), "KEY " + std::string(kOpensslKey));

    const std::pair<std::string, std::string_view> cases[] = {
        {"", "the key is missing"},
        {std::string(kOpensslKey.substr(0, 41)), "the key is not base64"},
        {"Zm9vYmFy", "the key is not an ECDSA P-256 public key: it is not the DER"},
        {std::string(kOpensslSignature), "the key is not an ECDSA P-256 public key"}};
    for (const auto& [argument, expected] : cases) {
        EXPECT_FALSE(ParseKeyLine(argument, reason));
        EXPECT_TRUE(reason.starts_with(expected)) << reason;
    }
}

TEST(SignatureFile, ItsUrlPutsSigAfterThePathAndDropsTheFragment) {
    for (const auto& [url, signature] : std::initializer_list<std::pair<const char*, const char*>>{
             {"http://h/feed.txt", "http://h/feed.txt.sig"},
             {"http://h/feed.txt?channel=beta&x=1", "http://h/feed.txt.sig?channel=beta&x=1"},
             {"http://h/feed.txt#top", "http://h/feed.txt.sig"},
             {"http://h/feed.txt?a=b#top?c", "http://h/feed.txt.sig?a=b"},
         }) {
        EXPECT_EQ(SignatureUrl(url), signature) << url;
    }
}

TEST(SignatureFile, ReadsBothLineEndsAndWritesItsOwnText) {
    const std::string signature = "signature " + std::string(kOpensslSignature);
    for (const std::string& text : {"expires 2027-03-01T00:00:00Z\n" + signature + "\n",
                                    "expires 2027-03-01T00:00:00Z\r\n" + signature + "\r\n",
                                    "expires 2027-03-01T00:00:00Z\n" + signature}) {
        std::string reason;
        const auto file = ParseSignatureFile(text, reason);
        ASSERT_TRUE(file) << reason;
        EXPECT_EQ(file->expiresLine, "expires 2027-03-01T00:00:00Z");
        EXPECT_EQ(FormatSignatureFile(file->expires, file->signature),
                  "expires 2027-03-01T00:00:00Z\n" + signature + "\n");
    }
    EXPECT_EQ(SignedMessage("http://h/u.txt", "expires 2027-03-01T00:00:00Z", "A\r\nB"),
              "quillmere-feed-v1\nhttp://h/u.txt\nexpires 2027-03-01T00:00:00Z\nA\r\nB");
}

TEST(SignatureFile, RefusesEveryOtherShapeWithAReason) {
    const std::string expires = "expires 2027-03-01T00:00:00Z";
    const std::string signature = "signature " + std::string(kOpensslSignature);
    ExpectRefused(ParseSignatureFile, {{"", "empty"},
                                       {signature + "\n" + expires + "\n", "first line"},
                                       {"expires  2027-03-01T00:00:00Z\n" + signature, "UTC time"},
                                       {"expires 2027-02-30T00:00:00Z\n" + signature, "UTC time"},
                                       {expires + "\r" + signature, "first line"},
                                       {expires + "\n", "second line"},
                                       {expires + "\n\n" + signature, "second line"},
                                       {expires + "\n" + signature + "\n\n", "more than two lines"},
                                       {expires + "\n" + signature + "\r", "second line"},
                                       {expires + "\n" + signature.substr(0, 40), "not base64"},
                                       {expires + "\nsignature Zm9vYmFy", "malformed"}});
}

}  // namespace

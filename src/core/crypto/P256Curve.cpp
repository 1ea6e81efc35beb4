// Arithmetic modulo the P-256 prime on four 64-bit limbs, least significant first. Only the
// curve equation is needed, so multiplication is plain double-and-add: 256 steps of modular
// addition, slow by the standard of a signature but run once per KEY line.

#include "core/crypto/P256Curve.h"

#include <array>
#include <cstdint>

namespace {

using U256 = std::array<std::uint64_t, 4>;

constexpr U256 kPrime = {0xFFFFFFFFFFFFFFFFull, 0x00000000FFFFFFFFull, 0x0000000000000000ull,
                         0xFFFFFFFF00000001ull};
constexpr U256 kB = {0x3BCE3C3E27D2604Bull, 0x651D06B0CC53B0F6ull, 0xB3EBBD55769886BCull,
                     0x5AC635D8AA3A93E7ull};

// 32 big-endian bytes from `bytes`.
U256 FromBigEndian(const std::uint8_t* bytes) {
    U256 value{};
    for (int limb = 0; limb < 4; ++limb) {
        for (int i = 0; i < 8; ++i) {
            value[3 - limb] = value[3 - limb] << 8 | bytes[limb * 8 + i];
        }
    }
    return value;
}

bool Below(const U256& a, const U256& b) {
    for (int limb = 3; limb >= 0; --limb) {
        if (a[limb] != b[limb]) {
            return a[limb] < b[limb];
        }
    }
    return false;
}

// a - b, and whether it borrowed.
bool Subtract(U256& a, const U256& b) {
    unsigned borrow = 0;
    for (int limb = 0; limb < 4; ++limb) {
        const unsigned __int128 difference =
            static_cast<unsigned __int128>(a[limb]) - b[limb] - borrow;
        a[limb] = static_cast<std::uint64_t>(difference);
        borrow = static_cast<unsigned>(difference >> 64) & 1;
    }
    return borrow != 0;
}

// a + b, and whether it carried.
bool Add(U256& a, const U256& b) {
    unsigned carry = 0;
    for (int limb = 0; limb < 4; ++limb) {
        const unsigned __int128 total = static_cast<unsigned __int128>(a[limb]) + b[limb] + carry;
        a[limb] = static_cast<std::uint64_t>(total);
        carry = static_cast<unsigned>(total >> 64);
    }
    return carry != 0;
}

// (a + b) mod p for a, b below p.
U256 AddMod(U256 a, const U256& b) {
    if (Add(a, b) || !Below(a, kPrime)) {
        Subtract(a, kPrime);  // the borrow cancels the carry
    }
    return a;
}

// (a - b) mod p for a, b below p.
U256 SubtractMod(U256 a, const U256& b) {
    if (Subtract(a, b)) {
        Add(a, kPrime);  // the carry cancels the borrow
    }
    return a;
}

// (a * b) mod p for a, b below p.
U256 MultiplyMod(const U256& a, const U256& b) {
    U256 product{};
    for (int bit = 255; bit >= 0; --bit) {
        product = AddMod(product, product);
        if ((b[bit / 64] >> (bit % 64)) & 1) {
            product = AddMod(product, a);
        }
    }
    return product;
}

}  // namespace

bool IsOnP256Curve(const P256PublicKey& key) {
    const U256 x = FromBigEndian(key.data());
    const U256 y = FromBigEndian(key.data() + 32);
    if (!Below(x, kPrime) || !Below(y, kPrime)) {
        return false;
    }
    const U256 threeX = AddMod(AddMod(x, x), x);
    const U256 right = AddMod(SubtractMod(MultiplyMod(MultiplyMod(x, x), x), threeX), kB);
    return MultiplyMod(y, y) == right;
}

// TEMPORARY: see StandInCngCrypto.h.

#include "windows/crypto/StandInCngCrypto.h"

#include <windows.h>

#include <bcrypt.h>

#include <stdexcept>
#include <utility>

namespace {

// Move-only owner of one kind of BCRYPT handle.
template <typename Handle, NTSTATUS(WINAPI* Close)(Handle)>
class BcryptOwner {
public:
    BcryptOwner() = default;
    ~BcryptOwner() {
        if (handle_ != nullptr) {
            Close(handle_);
        }
    }
    BcryptOwner(BcryptOwner&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    BcryptOwner(const BcryptOwner&) = delete;
    BcryptOwner& operator=(const BcryptOwner&) = delete;
    BcryptOwner& operator=(BcryptOwner&&) = delete;

    Handle Get() const { return handle_; }
    Handle* Out() { return &handle_; }

private:
    Handle handle_ = nullptr;
};

NTSTATUS WINAPI CloseProvider(BCRYPT_ALG_HANDLE handle) {
    return BCryptCloseAlgorithmProvider(handle, 0);
}
using Provider = BcryptOwner<BCRYPT_ALG_HANDLE, CloseProvider>;
using HashObject = BcryptOwner<BCRYPT_HASH_HANDLE, BCryptDestroyHash>;
using KeyObject = BcryptOwner<BCRYPT_KEY_HANDLE, BCryptDestroyKey>;

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

class CngSha256 final : public Sha256Hasher {
public:
    CngSha256() {
        if (!Succeeded(BCryptOpenAlgorithmProvider(provider_.Out(), BCRYPT_SHA256_ALGORITHM,
                                                   nullptr, 0)) ||
            !Succeeded(BCryptCreateHash(provider_.Get(), hash_.Out(), nullptr, 0, nullptr, 0, 0))) {
            throw std::runtime_error("The system cannot compute a SHA-256 checksum.");
        }
    }
    void Update(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ULONG piece = static_cast<ULONG>(std::min<std::size_t>(bytes.size(), 1u << 30));
            auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
            if (!Succeeded(BCryptHashData(hash_.Get(), data, piece, 0))) {
                throw std::runtime_error("The system cannot compute a SHA-256 checksum.");
            }
            bytes.remove_prefix(piece);
        }
    }
    Sha256Digest Finish() override {
        Sha256Digest digest{};
        if (!Succeeded(BCryptFinishHash(hash_.Get(), digest.data(), digest.size(), 0))) {
            throw std::runtime_error("The system cannot compute a SHA-256 checksum.");
        }
        return digest;
    }

private:
    Provider provider_;  // outlives the hash object made from it
    HashObject hash_;
};

}  // namespace

std::unique_ptr<Sha256Hasher> StandInCngCrypto::NewSha256() {
    return std::make_unique<CngSha256>();
}

bool StandInCngCrypto::VerifyP256(const P256PublicKey& key, const Sha256Digest& digest,
                                  const P256Signature& signature) {
    Provider provider;
    if (!Succeeded(
            BCryptOpenAlgorithmProvider(provider.Out(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
        return false;
    }
    struct {
        BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
        P256PublicKey point;
    } blob;
    blob.point = key;
    KeyObject imported;
    if (!Succeeded(BCryptImportKeyPair(provider.Get(), nullptr, BCRYPT_ECCPUBLIC_BLOB,
                                       imported.Out(), reinterpret_cast<PUCHAR>(&blob),
                                       sizeof(blob), 0))) {
        return false;  // not a point of the curve
    }
    Sha256Digest hashed = digest;
    P256Signature rs = signature;
    return Succeeded(BCryptVerifySignature(imported.Get(), nullptr, hashed.data(), hashed.size(),
                                           rs.data(), rs.size(), 0));
}

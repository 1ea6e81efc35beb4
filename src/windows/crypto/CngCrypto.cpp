// CNG backend. Keys cross as BCRYPT_ECCKEY_BLOBs (magic, 32, X, Y[, d]); signatures as r || s,
// the form BCryptSignHash and BCryptVerifySignature use.

#include "windows/crypto/CngCrypto.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "core/crypto/P256Curve.h"

namespace {

constexpr ULONG kCoordinate = 32;

[[noreturn]] void ThrowCngError(const char* call, NTSTATUS status) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (NTSTATUS 0x%08lX)", call,
                  static_cast<unsigned long>(status));
    throw std::runtime_error(text);
}

// bcrypt.dll is delay-loaded: a provider handle that stays null means the DLL or the function
// is missing (the stand-in fails without writing it), whatever the status says.
AlgorithmHandle OpenAlgorithm(LPCWSTR algorithm) {
    BCRYPT_ALG_HANDLE handle = nullptr;
    const NTSTATUS status = BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, 0);
    if (!BCRYPT_SUCCESS(status) || handle == nullptr) {
        ThrowCngError("BCryptOpenAlgorithmProvider", status);
    }
    return AlgorithmHandle(handle);
}

// The key blob: header, X, Y and, for a private key, d.
std::vector<UCHAR> KeyBlob(ULONG magic, const P256PublicKey& point, const UCHAR* scalar) {
    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB));
    const BCRYPT_ECCKEY_BLOB header{magic, kCoordinate};
    std::copy_n(reinterpret_cast<const UCHAR*>(&header), sizeof header, blob.begin());
    blob.insert(blob.end(), point.begin(), point.end());
    if (scalar != nullptr)
        blob.insert(blob.end(), scalar, scalar + kCoordinate);
    return blob;
}

KeyHandle ImportKey(BCRYPT_ALG_HANDLE algorithm, LPCWSTR type, std::vector<UCHAR>& blob,
                    NTSTATUS& status) {
    BCRYPT_KEY_HANDLE key = nullptr;
    status = BCryptImportKeyPair(algorithm, nullptr, type, &key, blob.data(),
                                 static_cast<ULONG>(blob.size()), 0);
    return KeyHandle(BCRYPT_SUCCESS(status) ? key : nullptr);
}

class CngSha256 final : public Sha256Hasher {
public:
    explicit CngSha256(BCRYPT_ALG_HANDLE algorithm) {
        BCRYPT_HASH_HANDLE hash = nullptr;
        const NTSTATUS status = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0);
        if (!BCRYPT_SUCCESS(status) || hash == nullptr)
            ThrowCngError("BCryptCreateHash", status);
        hash_.Reset(hash);
    }
    void Update(std::string_view bytes) override {
        // BCryptHashData takes a ULONG length: feed huge pieces in parts.
        while (!bytes.empty()) {
            const ULONG size = static_cast<ULONG>(std::min<std::size_t>(bytes.size(), 1u << 30));
            const NTSTATUS status = BCryptHashData(
                hash_.Get(), reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())), size, 0);
            if (!BCRYPT_SUCCESS(status))
                ThrowCngError("BCryptHashData", status);
            bytes.remove_prefix(size);
        }
    }
    Sha256Digest Finish() override {
        Sha256Digest digest{};
        const NTSTATUS status = BCryptFinishHash(hash_.Get(), digest.data(), 32, 0);
        if (!BCRYPT_SUCCESS(status))
            ThrowCngError("BCryptFinishHash", status);
        return digest;
    }

private:
    HashHandle hash_;
};

}  // namespace

// The curve's equation decides, not CNG's key import: it answers the same on every system and
// under Wine.
bool CngCrypto::IsP256PublicKey(const P256PublicKey& key) {
    return IsOnP256Curve(key);
}

std::unique_ptr<Sha256Hasher> CngCrypto::NewSha256() {
    if (!sha256_) {
        sha256_ = OpenAlgorithm(BCRYPT_SHA256_ALGORITHM);
    }
    return std::make_unique<CngSha256>(sha256_.Get());
}

bool CngCrypto::VerifyP256(const P256PublicKey& key, const Sha256Digest& digest,
                           const P256Signature& signature) {
    if (!ecdsa_) {
        try {
            ecdsa_ = OpenAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
        } catch (const std::exception&) {
            return false;  // no provider: nothing can be verified, so nothing is trusted
        }
    }
    std::vector<UCHAR> blob = KeyBlob(BCRYPT_ECDSA_PUBLIC_P256_MAGIC, key, nullptr);
    NTSTATUS status = 0;
    const KeyHandle publicKey = ImportKey(ecdsa_.Get(), BCRYPT_ECCPUBLIC_BLOB, blob, status);
    if (!publicKey)
        return false;  // not a point on the curve
    // Only STATUS_SUCCESS is a valid signature; a failing stand-in never returns it.
    status = BCryptVerifySignature(publicKey.Get(), nullptr, const_cast<PUCHAR>(digest.data()),
                                   static_cast<ULONG>(digest.size()),
                                   const_cast<PUCHAR>(signature.data()),
                                   static_cast<ULONG>(signature.size()), 0);
    return status == 0;
}

CngSigner::CngSigner() : ecdsa_(OpenAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM)) {}

P256KeyPair CngSigner::GenerateP256() {
    BCRYPT_KEY_HANDLE generated = nullptr;
    NTSTATUS status = BCryptGenerateKeyPair(ecdsa_.Get(), &generated, 256, 0);
    if (!BCRYPT_SUCCESS(status) || generated == nullptr) {
        ThrowCngError("BCryptGenerateKeyPair", status);
    }
    const KeyHandle key(generated);
    status = BCryptFinalizeKeyPair(key.Get(), 0);
    if (!BCRYPT_SUCCESS(status))
        ThrowCngError("BCryptFinalizeKeyPair", status);

    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 3 * kCoordinate);
    ULONG size = 0;
    status = BCryptExportKey(key.Get(), nullptr, BCRYPT_ECCPRIVATE_BLOB, blob.data(),
                             static_cast<ULONG>(blob.size()), &size, 0);
    if (!BCRYPT_SUCCESS(status) || size != blob.size())
        ThrowCngError("BCryptExportKey", status);
    P256KeyPair pair{};
    const UCHAR* point = blob.data() + sizeof(BCRYPT_ECCKEY_BLOB);
    std::copy_n(point, pair.publicKey.size(), pair.publicKey.begin());
    std::copy_n(point + 2 * kCoordinate, kCoordinate, pair.privateScalar.begin());
    return pair;
}

P256Signature CngSigner::SignP256(const P256KeyPair& key, const Sha256Digest& digest) {
    std::vector<UCHAR> blob =
        KeyBlob(BCRYPT_ECDSA_PRIVATE_P256_MAGIC, key.publicKey, key.privateScalar.data());
    NTSTATUS status = 0;
    const KeyHandle privateKey = ImportKey(ecdsa_.Get(), BCRYPT_ECCPRIVATE_BLOB, blob, status);
    SecureZeroMemory(blob.data(), blob.size());
    if (!privateKey)
        ThrowCngError("BCryptImportKeyPair", status);
    P256Signature signature{};
    ULONG size = 0;
    status = BCryptSignHash(privateKey.Get(), nullptr, const_cast<PUCHAR>(digest.data()),
                            static_cast<ULONG>(digest.size()), signature.data(),
                            static_cast<ULONG>(signature.size()), &size, 0);
    if (!BCRYPT_SUCCESS(status) || size != signature.size()) {
        ThrowCngError("BCryptSignHash", status);
    }
    return signature;
}

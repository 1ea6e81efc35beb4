#pragma once
// SHA-256 on a thread of its own: a download hands its chunks over and goes on reading while the
// system's hasher works through the previous block on the other core, so a pinned download takes
// about as long as an unpinned one.

#include <windows.h>

#include <exception>
#include <memory>
#include <vector>

#include "core/seam/Crypto.h"
#include "windows/win32/ScopedHandles.h"

class BackgroundSha256 final : public Sha256Hasher {
public:
    // Hashes with `inner`. Without a thread to be had, it hashes on the caller's thread instead.
    explicit BackgroundSha256(std::unique_ptr<Sha256Hasher> inner);
    ~BackgroundSha256() override;
    BackgroundSha256(const BackgroundSha256&) = delete;
    BackgroundSha256& operator=(const BackgroundSha256&) = delete;

    // Both rethrow a failure of the inner hasher on the thread.
    void Update(std::string_view bytes) override;
    Sha256Digest Finish() override;

private:
    static unsigned __stdcall ThreadMain(void* self);
    void HashHandedBlocks() noexcept;
    void HandOver();
    void WaitUntilIdle() noexcept;
    void Stop() noexcept;

    std::unique_ptr<Sha256Hasher> inner_;
    std::vector<char> filling_;  // the caller's block
    std::vector<char> handed_;   // the thread's block while it is busy
    KernelHandle blockHanded_;   // auto-reset: a block, or the stop, is waiting for the thread
    KernelHandle blockHashed_;   // auto-reset: the thread is done with the handed block
    KernelHandle thread_;
    bool busy_ = false;           // read and written by the caller only
    bool stopping_ = false;       // written by the caller before it signals blockHanded_
    std::exception_ptr failure_;  // written by the thread before it signals blockHashed_
};

// The system's cryptography, with hashers that run on a thread of their own.
class BackgroundHashing final : public Crypto {
public:
    explicit BackgroundHashing(Crypto& system) : system_(system) {}

    std::unique_ptr<Sha256Hasher> NewSha256() override {
        return std::make_unique<BackgroundSha256>(system_.NewSha256());
    }
    bool IsP256PublicKey(const P256PublicKey& key) override {
        return system_.IsP256PublicKey(key);
    }
    bool VerifyP256(const P256PublicKey& key, const Sha256Digest& digest,
                    const P256Signature& signature) override {
        return system_.VerifyP256(key, digest, signature);
    }

private:
    Crypto& system_;
};

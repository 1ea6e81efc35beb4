// Two blocks take turns: the caller fills one while the thread hashes the other. Handing over
// waits for the thread to finish the previous block, so the bytes reach the inner hasher in order.

#include "windows/crypto/BackgroundSha256.h"

#include <process.h>

#include <algorithm>

namespace {

// Large enough that handing over costs nothing next to hashing, small enough to stay in cache.
constexpr std::size_t kBlockSize = 256 * 1024;

}  // namespace

BackgroundSha256::BackgroundSha256(std::unique_ptr<Sha256Hasher> inner)
    : inner_(std::move(inner)),
      blockHanded_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      blockHashed_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    filling_.reserve(kBlockSize);
    if (blockHanded_ && blockHashed_) {
        // _beginthreadex rather than CreateThread: the thread uses the C runtime.
        thread_.Reset(reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, &BackgroundSha256::ThreadMain, this, 0, nullptr)));
    }
}

BackgroundSha256::~BackgroundSha256() {
    Stop();
}

void BackgroundSha256::Update(std::string_view bytes) {
    if (!thread_) {
        inner_->Update(bytes);
        return;
    }
    while (!bytes.empty()) {
        const std::size_t taken = std::min(bytes.size(), kBlockSize - filling_.size());
        filling_.insert(filling_.end(), bytes.begin(), bytes.begin() + taken);
        bytes.remove_prefix(taken);
        if (filling_.size() == kBlockSize) {
            HandOver();
        }
    }
}

Sha256Digest BackgroundSha256::Finish() {
    Stop();
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    inner_->Update(std::string_view(filling_.data(), filling_.size()));
    return inner_->Finish();
}

unsigned __stdcall BackgroundSha256::ThreadMain(void* self) {
    static_cast<BackgroundSha256*>(self)->HashHandedBlocks();
    return 0;
}

void BackgroundSha256::HashHandedBlocks() noexcept {
    for (;;) {
        WaitForSingleObject(blockHanded_.Get(), INFINITE);
        if (stopping_) {
            return;
        }
        if (!failure_) {
            try {
                inner_->Update(std::string_view(handed_.data(), handed_.size()));
            } catch (...) {
                failure_ = std::current_exception();
            }
        }
        SetEvent(blockHashed_.Get());
    }
}

void BackgroundSha256::HandOver() {
    WaitUntilIdle();
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    filling_.swap(handed_);
    filling_.clear();
    filling_.reserve(kBlockSize);
    busy_ = true;
    SetEvent(blockHanded_.Get());
}

void BackgroundSha256::WaitUntilIdle() noexcept {
    if (busy_) {
        WaitForSingleObject(blockHashed_.Get(), INFINITE);
        busy_ = false;
    }
}

// Ends the thread once it is done with its block; afterwards the caller hashes on its own.
void BackgroundSha256::Stop() noexcept {
    if (!thread_) {
        return;
    }
    WaitUntilIdle();
    stopping_ = true;
    SetEvent(blockHanded_.Get());
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
}

#pragma once
// The owner of a POSIX file descriptor: closes it when it goes out of scope, on every way out.
// Neither copied nor moved: each descriptor is closed once, where it was opened.

#include <unistd.h>

#include <utility>

class ScopedDescriptor {
public:
    // Owns `descriptor` (an invalid -1 included, the result of a failed open).
    explicit ScopedDescriptor(int descriptor) : descriptor_(descriptor) {}
    ScopedDescriptor(const ScopedDescriptor&) = delete;
    ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;
    ~ScopedDescriptor() {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }

    int Get() const { return descriptor_; }
    explicit operator bool() const { return descriptor_ >= 0; }

    // Closes the descriptor now. False (errno set) when close reports an error, which some file
    // systems use for a write that failed late.
    bool Close() { return ::close(std::exchange(descriptor_, -1)) == 0; }

private:
    int descriptor_;
};

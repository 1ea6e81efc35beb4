// Counts through AddressSanitizer's allocator, which reports every allocation to a hook: the
// unit tests are always built with it (the native preset), and all its checks stay in force.

#include "core/AllocatedBytes.h"

#include <atomic>

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> allocated{0};

void CountAllocation(const volatile void*, std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        allocated.fetch_add(size, std::memory_order_relaxed);
    }
}

void IgnoreFree(const volatile void*) {}

}  // namespace

AllocatedBytes::AllocatedBytes() {
    static const int hooked =
        __sanitizer_install_malloc_and_free_hooks(CountAllocation, IgnoreFree);
    (void)hooked;
    allocated = 0;
    counting = true;
}

AllocatedBytes::~AllocatedBytes() {
    counting = false;
}

std::size_t AllocatedBytes::Count() const {
    return allocated;
}

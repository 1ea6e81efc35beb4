// Counts the bytes requested while an AllocatedBytes is alive. Under AddressSanitizer (the
// native preset) its allocator reports every allocation to a hook, so all its checks stay in
// force; without it, the global operator new of the unit tests counts instead.

#include "core/AllocatedBytes.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> allocated{0};

void Record(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        allocated.fetch_add(size, std::memory_order_relaxed);
    }
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));

namespace {

void CountAllocation(const volatile void*, std::size_t size) {
    Record(size);
}
void IgnoreFree(const volatile void*) {}

}  // namespace

AllocatedBytes::AllocatedBytes() {
    static const bool hooked =
        __sanitizer_install_malloc_and_free_hooks(CountAllocation, IgnoreFree) != 0;
    (void)hooked;
    allocated = 0;
    counting = true;
}

#else

void* operator new(std::size_t size) {
    Record(size);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

AllocatedBytes::AllocatedBytes() {
    allocated = 0;
    counting = true;
}

#endif

AllocatedBytes::~AllocatedBytes() {
    counting = false;
}

std::size_t AllocatedBytes::Count() const {
    return allocated;
}

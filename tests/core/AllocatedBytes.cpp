// Replaces the global operator new and delete of the unit tests, counting the bytes requested
// while an AllocatedBytes is alive. Memory still comes from malloc, so the sanitizers see every
// allocation as before.

#include "core/AllocatedBytes.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> allocated{0};

void* Allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        allocated.fetch_add(size, std::memory_order_relaxed);
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}

AllocatedBytes::AllocatedBytes() {
    allocated = 0;
    counting = true;
}

AllocatedBytes::~AllocatedBytes() {
    counting = false;
}

std::size_t AllocatedBytes::Count() const {
    return allocated;
}

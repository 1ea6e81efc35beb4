#pragma once
// Counts the bytes allocated while one of these is alive: a measure of the work a run does
// that, unlike its time, does not depend on the machine or the sanitizers.
// A run that builds a text per line as long as the whole script allocates far more than the
// script's size; a linear one allocates a small multiple of it.

#include <cstddef>

class AllocatedBytes {
public:
    AllocatedBytes();
    ~AllocatedBytes();
    AllocatedBytes(const AllocatedBytes&) = delete;
    AllocatedBytes& operator=(const AllocatedBytes&) = delete;

    // Bytes allocated since construction.
    std::size_t Count() const;
};

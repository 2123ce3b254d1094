// Memory blocks on Windows: pages reserved and committed at once (the system zeroes them on
// first use).
#include "util/memory_block.h"

#include <windows.h>

void* Memory_Block_Take(std::size_t size) {
    return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void Memory_Block_Give(void* block, std::size_t) {
    if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}

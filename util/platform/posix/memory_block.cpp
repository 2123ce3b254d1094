#include "util/memory_block.h"

#include <sys/mman.h>

void* Memory_Block_Take(std::size_t size) {
    void* block = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    return block == MAP_FAILED ? nullptr : block;
}

void Memory_Block_Give(void* block, std::size_t size) {
    if (block != nullptr) ::munmap(block, size);
}

// Large blocks of memory straight from the system, their pages made ready at once: cheaper
// than meeting each page on first use when a block is certain to be filled.
#pragma once

#include <cstddef>

// size bytes, page aligned; nullptr when the system refuses.
void* Memory_Block_Take(std::size_t size);
// Gives back a block taken with size.
void Memory_Block_Give(void* block, std::size_t size);

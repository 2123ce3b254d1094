#include "dirscan/tree_arena.h"

#include <cstdint>
#include <new>

#include "util/memory_block.h"

Tree_Arena::~Tree_Arena() {
    for (const Block& block : blocks_) Memory_Block_Give(block.start, block.size);
}

void* Tree_Arena::do_allocate(std::size_t bytes, std::size_t alignment) {
    const auto misalignment = [&](const std::byte* at) {
        const std::size_t over = reinterpret_cast<std::uintptr_t>(at) % alignment;
        return over == 0 ? 0 : alignment - over;
    };
    std::size_t skip = next_ != nullptr ? misalignment(next_) : 0;
    if (next_ == nullptr || skip + bytes > left_) {
        // A large request gets a block of its own; the current block stays in use.
        const std::size_t size = bytes + alignment > Block_Size / 4 ? bytes + alignment : Block_Size;
        blocks_.reserve(blocks_.size() + 1);
        auto* block = static_cast<std::byte*>(Memory_Block_Take(size));
        if (block == nullptr) throw std::bad_alloc();
        blocks_.push_back({block, size});
        reserved_ += size;
        if (size != Block_Size) return block + misalignment(block);
        next_ = block;
        left_ = size;
        skip = misalignment(next_);
    }
    std::byte* at = next_ + skip;
    next_ = at + bytes;
    left_ -= skip + bytes;
    return at;
}

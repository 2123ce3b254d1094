// Memory for one folder's tree: taken from the system in large blocks and given back all at once
// when the tree goes, instead of one release per node, name and value of every image.
#pragma once

#include <cstddef>
#include <memory_resource>
#include <vector>

class Tree_Arena final : public std::pmr::memory_resource {
public:
    Tree_Arena() = default;
    ~Tree_Arena() override;
    Tree_Arena(const Tree_Arena&) = delete;
    Tree_Arena& operator=(const Tree_Arena&) = delete;

    // Bytes taken from the system so far.
    std::size_t reserved() const { return reserved_; }

private:
    static constexpr std::size_t Block_Size = 256 * 1024;

    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    // Nothing is given back before the arena goes.
    void do_deallocate(void*, std::size_t, std::size_t) override {}
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }

    struct Block {
        void* start;
        std::size_t size;
    };
    std::vector<Block> blocks_;
    std::byte* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t reserved_ = 0;
};

// A growable array of bytes or characters that keeps short contents inside itself.
//
// A header holds about a hundred short values (codes, dates, names, UIDs) and a few long
// ones; keeping the short ones inline spares one allocation and one release per element.
// The contents are always followed by one zero element, so text has a c_str().
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

template <typename T, std::size_t Inline>
class Inline_Buffer {
    static_assert(std::is_trivially_copyable_v<T> && sizeof(T) == 1, "a buffer of bytes or characters");
    static_assert(Inline + 1 >= sizeof(T*), "the inline room also holds the heap pointer");

public:
    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;

    Inline_Buffer() noexcept { local_[0] = T{}; }
    Inline_Buffer(const T* first, std::size_t count) : Inline_Buffer() { assign(first, count); }
    Inline_Buffer(std::initializer_list<T> values) : Inline_Buffer() { assign(values.begin(), values.size()); }
    Inline_Buffer(std::size_t count, T value) : Inline_Buffer() { assign(count, value); }
    Inline_Buffer(const Inline_Buffer& other) : Inline_Buffer() { assign(other.data(), other.size()); }
    Inline_Buffer(Inline_Buffer&& other) noexcept { take(other); }
    ~Inline_Buffer() { release(); }

    Inline_Buffer& operator=(const Inline_Buffer& other) {
        if (this != &other) assign(other.data(), other.size());
        return *this;
    }
    Inline_Buffer& operator=(Inline_Buffer&& other) noexcept {
        if (this != &other) {
            release();
            take(other);
        }
        return *this;
    }
    Inline_Buffer& operator=(const std::vector<T>& values) {
        assign(values.data(), values.size());
        return *this;
    }
    Inline_Buffer& operator=(std::initializer_list<T> values) {
        assign(values.begin(), values.size());
        return *this;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::size_t capacity() const { return capacity_; }
    T* data() { return on_heap() ? heap_ : local_; }
    const T* data() const { return on_heap() ? heap_ : local_; }
    T* begin() { return data(); }
    T* end() { return data() + size_; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size_; }
    T& operator[](std::size_t index) { return data()[index]; }
    const T& operator[](std::size_t index) const { return data()[index]; }
    T& front() { return data()[0]; }
    T& back() { return data()[size_ - 1]; }
    const T& back() const { return data()[size_ - 1]; }

    void clear() {
        size_ = 0;
        data()[0] = T{};
    }
    void reserve(std::size_t count) {
        if (count > capacity_) grow(count);
    }
    void resize(std::size_t count, T value = T{}) {
        reserve(count);
        T* bytes = data();
        if (count > size_) std::memset(bytes + size_, static_cast<int>(value), count - size_);
        set_size(count);
    }
    void assign(const T* first, std::size_t count) {
        if (count == 0) {  // first may be null then
            clear();
            return;
        }
        if (count > capacity_) {
            // first may lie in the storage being replaced.
            Inline_Buffer fresh;
            fresh.grow(count);
            std::memcpy(fresh.heap_, first, count);
            fresh.set_size(count);
            *this = std::move(fresh);
            return;
        }
        std::memmove(data(), first, count);
        set_size(count);
    }
    template <typename Iterator>
    void assign(Iterator first, Iterator last) {
        assign_pointer(first, last);
    }
    void assign(std::size_t count, T value) {
        reserve(count);
        std::memset(data(), static_cast<int>(value), count);
        set_size(count);
    }
    void push_back(T value) {
        if (size_ == capacity_) grow(size_ * 2);
        data()[size_] = value;
        set_size(size_ + 1);
    }
    // Appends at the end (the only position anyone inserts at).
    template <typename Iterator>
    void insert(T* position, Iterator first, Iterator last) {
        const std::size_t offset = static_cast<std::size_t>(position - begin());
        if (offset != size_) throw std::invalid_argument("Inline_Buffer::insert: not at the end");
        const std::size_t count = static_cast<std::size_t>(last - first);
        if (count == 0) return;
        const T* source = reinterpret_cast<const T*>(&*first);
        if (size_ + count > capacity_) {
            Inline_Buffer joined;
            joined.grow(std::max<std::size_t>(size_ + count, size_ * 2));
            std::memcpy(joined.heap_, data(), size_);
            std::memcpy(joined.heap_ + size_, source, count);
            joined.set_size(size_ + count);
            *this = std::move(joined);
            return;
        }
        std::memmove(data() + size_, source, count);
        set_size(size_ + count);
    }

    // Text access, for a buffer of characters.
    const char* c_str() const { return reinterpret_cast<const char*>(data()); }
    operator std::string_view() const { return {c_str(), size_}; }
    Inline_Buffer& operator=(std::string_view text) {
        assign(reinterpret_cast<const T*>(text.data()), text.size());
        return *this;
    }
    Inline_Buffer& operator=(const std::string& text) { return *this = std::string_view(text); }
    Inline_Buffer& operator=(const char* text) { return *this = std::string_view(text); }
    std::vector<T> to_vector() const { return std::vector<T>(begin(), end()); }

    friend bool operator==(const Inline_Buffer& a, const Inline_Buffer& b) {
        return a.size_ == b.size_ && std::memcmp(a.data(), b.data(), a.size_) == 0;
    }
    friend bool operator==(const Inline_Buffer& a, const std::vector<T>& b) {
        return a.size_ == b.size() && (b.empty() || std::memcmp(a.data(), b.data(), a.size_) == 0);
    }
    friend bool operator==(const Inline_Buffer& a, std::string_view b) {
        return std::string_view(a) == b;
    }
    friend bool operator==(const Inline_Buffer& a, const char* b) { return std::string_view(a) == b; }

private:
    bool on_heap() const { return capacity_ > Inline; }
    void set_size(std::size_t count) {
        size_ = static_cast<uint32_t>(count);
        data()[count] = T{};
    }
    template <typename Iterator>
    void assign_pointer(Iterator first, Iterator last) {
        const std::size_t count = static_cast<std::size_t>(last - first);
        if (count == 0) {
            clear();
            return;
        }
        assign(reinterpret_cast<const T*>(&*first), count);
    }
    // Moves the contents to a heap block with room for at least count elements.
    void grow(std::size_t count) {
        if (count > UINT32_MAX - 1) throw std::bad_alloc();
        if (count < 2 * Inline) count = 2 * Inline;
        T* block = new T[count + 1];
        std::memcpy(block, data(), size_ + 1);
        release();
        heap_ = block;
        capacity_ = static_cast<uint32_t>(count);
    }
    void release() {
        if (on_heap()) delete[] heap_;
        capacity_ = Inline;
    }
    void take(Inline_Buffer& other) noexcept {
        size_ = other.size_;
        capacity_ = other.capacity_;
        std::memcpy(local_, other.local_, sizeof local_);
        other.size_ = 0;
        other.capacity_ = Inline;
        other.local_[0] = T{};
    }

    uint32_t size_ = 0;
    uint32_t capacity_ = Inline;  // more than Inline: the contents are on the heap
    union {
        T local_[Inline + 1];
        T* heap_;
    };
};

// The framework's growable list: fixed-size elements, capacity starting at 16 and
// doubling (growth step -1) or growing by the step. Elements are copied bytewise,
// so only trivially copyable element types are allowed.
#pragma once
#include <cstdlib>
#include <cstring>
#include <type_traits>

template <typename T>
class CGrowableList {
    static_assert(std::is_trivially_copyable<T>::value, "elements are moved bytewise");

public:
    CGrowableList() = default;
    explicit CGrowableList(int growthStep) : growthStep_(growthStep) {}
    ~CGrowableList() { std::free(items_); }
    CGrowableList(const CGrowableList&) = delete;
    CGrowableList& operator=(const CGrowableList&) = delete;

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    T* Data() { return items_; }
    const T* Data() const { return items_; }
    T& operator[](int i) { return items_[i]; }
    const T& operator[](int i) const { return items_[i]; }

    // Inserts n elements at position (clamped to 0..count); returns the position or -1
    // when the storage could not grow (the list is then unchanged).
    int Insert(int position, const T* elements, int n = 1) {
        if (n <= 0) return -1;
        if (position < 0 || position > count_) position = count_;
        if (!Reserve(count_ + n)) return -1;
        std::memmove(items_ + position + n, items_ + position, sizeof(T) * (count_ - position));
        std::memcpy(items_ + position, elements, sizeof(T) * n);
        count_ += n;
        return position;
    }
    int Append(const T& element) { return Insert(count_, &element, 1); }

    // Removes n elements at position; out-of-range requests change nothing.
    void Remove(int position, int n = 1) {
        if (position < 0 || n <= 0 || position + n > count_) return;
        std::memmove(items_ + position, items_ + position + n, sizeof(T) * (count_ - position - n));
        count_ -= n;
    }
    void Clear() { count_ = 0; }

private:
    bool Reserve(int needed) {
        if (needed <= capacity_) return true;
        long long capacity = capacity_ <= 0 ? 16 : capacity_;
        while (capacity < needed) capacity = growthStep_ == -1 ? capacity * 2 : capacity + (growthStep_ > 0 ? growthStep_ : 16);
        if (capacity > 0x7FFFFFFF / (long long)sizeof(T)) return false;
        T* grown = static_cast<T*>(std::malloc(sizeof(T) * (size_t)capacity));
        if (!grown) return false;
        if (count_) std::memcpy(grown, items_, sizeof(T) * count_);
        std::free(items_);
        items_ = grown;
        capacity_ = (int)capacity;
        return true;
    }

    int count_ = 0;
    T* items_ = nullptr;
    int growthStep_ = -1;
    int capacity_ = 0;
};

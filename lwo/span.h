// A read-only view of consecutive elements that something else owns: a polygon's corners in the
// mesh's whole-mesh arrays, a vertex-map entry's values in its map's. Valid while the owner is
// neither changed nor destroyed.
#pragma once

#include <cstddef>
#include <vector>

template <typename T>
class Span {
public:
    Span() = default;
    Span(const T* data, size_t size) : data_(data), size_(size) {}
    // From a whole vector, so functions taking a span take vectors as they did.
    Span(const std::vector<T>& all) : data_(all.data()), size_(all.size()) {}

    const T* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }
    const T& operator[](size_t i) const { return data_[i]; }
    const T& front() const { return data_[0]; }
    const T& back() const { return data_[size_ - 1]; }
    // The first `count` elements (all of them when there are fewer).
    Span first(size_t count) const { return Span(data_, count < size_ ? count : size_); }

    std::vector<T> toVector() const { return std::vector<T>(begin(), end()); }

private:
    const T* data_ = nullptr;
    size_t size_ = 0;
};

#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

// A heap buffer on an alignment that unbuffered (O_DIRECT) transfers accept.
class TAlignedBuffer {
public:
    TAlignedBuffer() = default;
    // size must be a multiple of alignment, alignment a power of two.
    TAlignedBuffer(std::size_t size, std::size_t alignment)
        : m_data(static_cast<std::uint8_t*>(std::aligned_alloc(alignment, size))), m_size(size)
    {
        if (!m_data)
            throw std::bad_alloc();
    }

    std::uint8_t* Data() const { return m_data.get(); }
    std::size_t Size() const { return m_size; }

private:
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, Free> m_data;
    std::size_t m_size = 0;
};

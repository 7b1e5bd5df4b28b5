#pragma once

#include <array>
#include <cstdint>

// The reflected CRC-32 (polynomial 0xEDB88320) as a running register:
// Reset sets it to 0xFFFFFFFF and there is no final inversion, so callers
// that want the standard CRC-32 invert the result themselves.
class TCrc32 {
public:
    TCrc32();

    void Reset() { m_register = 0xFFFFFFFFu; }
    std::uint32_t Update(const void* data, std::uint32_t length);
    std::uint32_t Register() const { return m_register; }

    // Entry i: i shifted right eight times, XORed with the polynomial
    // whenever the bit shifted out was 1.
    static const std::array<std::uint32_t, 256>& Table();

private:
    std::uint32_t m_register = 0xFFFFFFFFu;
};

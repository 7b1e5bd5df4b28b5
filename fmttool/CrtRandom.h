#pragma once

#include <cstdint>

// The C runtime's rand() of the recorder's home platform, never seeded:
// the same sequence on every run, so a test pattern can be told again.
class TCrtRandom {
public:
    int Next()
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }

private:
    std::uint32_t m_state = 1;
};

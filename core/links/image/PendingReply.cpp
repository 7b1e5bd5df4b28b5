#include "core/links/image/PendingReply.h"

#include <algorithm>
#include <cstring>

std::span<std::uint8_t> PendingReply::Make(std::size_t length)
{
    if (m_buffer.size() < length)
        m_buffer.resize(length);
    m_length = length;
    return std::span(m_buffer).first(length);
}

void PendingReply::Set(std::span<const std::uint8_t> bytes)
{
    const std::span<std::uint8_t> out = Make(bytes.size());
    std::copy(bytes.begin(), bytes.end(), out.begin());
}

bool PendingReply::Fetch(void* out, std::size_t length)
{
    if (m_length < length)
        return false;
    if (length > 0)
        std::memcpy(out, m_buffer.data(), length);
    m_length = 0;
    return true;
}

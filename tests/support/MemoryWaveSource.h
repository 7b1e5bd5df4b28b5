#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/recorder/WaveSource.h"

// A wave source in memory: 16-bit mono samples at a rate. A read from
// failAt on fails; OnRead (when set) is called before every read.
class MemorySource : public TWaveSource {
public:
    MemorySource(std::vector<std::int16_t> samples, std::uint32_t rate,
                 std::optional<std::size_t> failAt = std::nullopt)
        : m_samples(std::move(samples)), m_rate(rate), m_failAt(failAt)
    {
    }
    TWaveSourceFormat SourceFormat() const override { return {kWaveFormatPcm, 1, m_rate, 16, m_samples.size() * 2}; }
    std::int32_t ReadSamples(std::int16_t* out, std::int32_t count) override
    {
        if (OnRead)
            OnRead();
        if (m_failAt && m_position >= *m_failAt)
            return -1;
        std::size_t end = std::min(m_samples.size(), m_position + static_cast<std::size_t>(count));
        if (m_failAt)
            end = std::min(end, *m_failAt);
        std::copy(m_samples.begin() + static_cast<std::ptrdiff_t>(m_position),
                  m_samples.begin() + static_cast<std::ptrdiff_t>(end), out);
        const auto n = static_cast<std::int32_t>(end - m_position);
        m_position = end;
        return n;
    }

    std::function<void()> OnRead;

private:
    std::vector<std::int16_t> m_samples;
    std::uint32_t m_rate;
    std::optional<std::size_t> m_failAt;
    std::size_t m_position = 0;
};

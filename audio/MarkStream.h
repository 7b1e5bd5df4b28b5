#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "audio/MarkBlocks.h"

// The integrity mark over one stream of 16-bit samples: a faint three-tone
// signal is added, and the least significant bit of every sample carries,
// group by group of 512 samples, the sealed mark block as it stood when the
// group began. A framed stream gets a sealed block before and after its
// audio; the audio's last 1 to 1024 bytes stay unmarked with their LSBs 0.
//
// Each piece is handed back one call later, marked, from the stream's own
// buffer (valid until the next call). A piece of 1024 bytes or less ends
// the stream (the final flush); every piece before it must be longer.
class MarkStream {
public:
    static constexpr std::uint32_t kGroupSamples = 512;
    static constexpr std::uint32_t kGroupBytes = 2 * kGroupSamples;
    static constexpr std::uint32_t kFinalFlushMax = 1024;
    static constexpr std::uint32_t kToneRun = 512;  // tone values made at a time

    void Init(const TMarkParams& params);
    // The marked piece out (null and 0 when there is none).
    void Process(const std::int16_t* input, std::uint32_t length, const std::uint8_t*& output,
                 std::uint32_t& outputLength);
    // The final sealed block, once the final flush has been.
    std::optional<mark_seal::TSealed> FinalBlock() const { return m_final; }

    // The stream's results: 0 intact; -4 no stored block, or it fails its
    // CRC; -2 start block short or failing; n > 0 group n short or failing;
    // -3 tail too long, short or with an LSB set; -1 end block short or
    // failing. storedOut receives the unsealed stored block once it passed.
    using Reader = std::function<std::int32_t(void* buffer, std::int32_t length)>;
    static int Check(const Reader& read, const std::uint8_t* stored, std::uint8_t* storedOut);

private:
    bool Framed() const { return (m_params.Flags & 1) != 0; }
    void SealGroup();
    void Mark(std::uint8_t* bytes, std::size_t length);
    void NextToneRun();

    TMarkParams m_params{};
    TMarkBlock m_live{};
    // The bits of the sealed block the group carries, one per sample.
    std::array<std::int16_t, kGroupSamples> m_groupMask{};
    std::uint32_t m_index = 0;  // next sample within the group
    // The tones come in runs of kToneRun values: sin(phase + k step) is
    // sin(phase) cos(k step) + cos(phase) sin(k step), with the per-offset
    // factors in a table; each tone's phase turns by the run's angle as a
    // unit vector, renormalised every run. No libm call per sample.
    std::array<double, 3> m_phaseCos{};
    std::array<double, 3> m_phaseSin{};
    std::array<double, 3> m_runCos{};
    std::array<double, 3> m_runSin{};
    std::vector<float> m_offsetCos;  // [tone][k] amplitude x cos(k step)
    std::vector<float> m_offsetSin;  // [tone][k] amplitude x sin(k step)
    std::array<float, kToneRun> m_toneRun{};
    std::uint32_t m_toneAt = kToneRun;  // next value of the run
    float m_tone = 0;                   // stereo: the current pair's
    std::array<float, kGroupSamples> m_pairTones{};
    bool m_stereo = false;
    bool m_computeTone = true;
    bool m_first = true;
    bool m_heldIsStart = false;
    std::vector<std::uint8_t> m_held;
    std::vector<std::uint8_t> m_output;
    std::optional<mark_seal::TSealed> m_final;
};

#include "audio/SoxResampler.h"

#include <sox.h>

#include <QString>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "core/protocol/DebugLog.h"

namespace {

void SoxMessage(unsigned level, const char* file, const char* format, va_list args)
{
    if (!DebugLogOn())
        return;
    std::array<char, 512> text{};
    std::vsnprintf(text.data(), text.size(), format, args);
    DebugLog(QStringLiteral("sox %1 %2: %3").arg(level).arg(QString::fromUtf8(file), QString::fromUtf8(text.data())));
}

// libsox keeps process-wide state: initialised once, never quit while the
// program runs.
bool InitSox()
{
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] {
        sox_globals.output_message_handler = SoxMessage;
        sox_globals.verbosity = 2;
        ready = sox_init() == SOX_SUCCESS;
    });
    return ready;
}

}  // namespace

TSoxResampler::TSoxResampler(std::uint32_t inputRate, std::uint16_t channels, std::uint32_t outputRate, TOutput output)
    : m_inputRate(inputRate), m_channels(channels == 0 ? 1 : channels), m_outputRate(outputRate),
      m_output(std::move(output))
{
    m_thread = std::thread([this] { Run(); });
}

TSoxResampler::~TSoxResampler()
{
    Finish();
}

void TSoxResampler::Feed(const void* data, std::size_t bytes)
{
    const auto* at = static_cast<const std::uint8_t*>(data);
    // Pieces need not end on a sample: a last odd byte waits for its other half.
    if (m_hasOdd && bytes > 0) {
        const std::uint8_t sample[2] = {m_odd, at[0]};
        m_hasOdd = false;
        HandOver(sample, 2);
        ++at;
        --bytes;
    }
    if (bytes % 2 != 0) {
        m_odd = at[bytes - 1];
        m_hasOdd = true;
        --bytes;
    }
    HandOver(at, bytes);
}

void TSoxResampler::HandOver(const std::uint8_t* data, std::size_t bytes)
{
    if (bytes == 0)
        return;
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_remaining == 0 || m_stopped; });
    if (m_stopped || m_end)
        return;
    m_input = data;
    m_remaining = bytes;
    m_changed.notify_all();
    // The piece is the caller's: it must be taken before Feed returns.
    m_changed.wait(lock, [&] { return m_remaining == 0 || m_stopped; });
    m_input = nullptr;
    m_remaining = 0;
}

bool TSoxResampler::Finish()
{
    {
        std::lock_guard lock(m_mutex);
        m_end = true;
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    return !m_failed;
}

bool TSoxResampler::Failed() const
{
    std::lock_guard lock(m_mutex);
    return m_failed;
}

bool TSoxResampler::OutputRefused() const
{
    std::lock_guard lock(m_mutex);
    return m_refused;
}

std::size_t TSoxResampler::TakeInput(std::int32_t* out, std::size_t samples)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_remaining > 0 || m_end; });
    if (m_remaining == 0)
        return 0;
    std::size_t count = std::min(samples, m_remaining / 2);
    if (count >= m_channels)
        count -= count % m_channels;
    for (std::size_t i = 0; i < count; ++i) {
        std::int16_t value;
        std::memcpy(&value, m_input + 2 * i, 2);
        out[i] = SOX_SIGNED_16BIT_TO_SAMPLE(value, );
    }
    m_input += 2 * count;
    m_remaining -= 2 * count;
    if (m_remaining == 0)
        m_changed.notify_all();
    return count;
}

void TSoxResampler::Deliver(const std::int32_t* in, std::size_t samples)
{
    if (m_refused)
        return;
    SOX_SAMPLE_LOCALS;
    std::size_t clips = 0;
    m_converted.resize(samples);
    for (std::size_t i = 0; i < samples; ++i)
        m_converted[i] = SOX_SAMPLE_TO_SIGNED_16BIT(in[i], clips);
    if (!m_output(m_converted.data(), samples)) {
        std::lock_guard lock(m_mutex);
        m_refused = true;
    }
}

int TSoxResampler::InputDrain(sox_effect_t* effect, sox_sample_t* out, size_t* samples)
{
    auto* self = static_cast<TEffectPriv*>(effect->priv)->Self;
    *samples = self->TakeInput(out, *samples);
    return *samples == 0 ? SOX_EOF : SOX_SUCCESS;
}

int TSoxResampler::OutputFlow(sox_effect_t* effect, const sox_sample_t* in, sox_sample_t*, size_t* inSamples,
                              size_t* outSamples)
{
    static_cast<TEffectPriv*>(effect->priv)->Self->Deliver(in, *inSamples);
    *outSamples = 0;
    return SOX_SUCCESS;
}

void TSoxResampler::Run()
{
    bool ok = InitSox();
    if (ok) {
        static const sox_effect_handler_t input{
            "trellavox_input", nullptr,    SOX_EFF_MCHAN, nullptr, nullptr,
            nullptr,           InputDrain, nullptr,       nullptr, sizeof(TEffectPriv)};
        static const sox_effect_handler_t output{
            "trellavox_output", nullptr, SOX_EFF_MCHAN, nullptr, nullptr,
            OutputFlow,         nullptr, nullptr,       nullptr, sizeof(TEffectPriv)};
        sox_encodinginfo_t encoding{};
        encoding.encoding = SOX_ENCODING_SIGN2;
        encoding.bits_per_sample = 16;
        sox_signalinfo_t signal{};
        signal.rate = m_inputRate;
        signal.channels = m_channels;
        signal.precision = 16;
        signal.length = SOX_UNKNOWN_LEN;
        sox_signalinfo_t target = signal;
        target.rate = m_outputRate;

        sox_effects_chain_t* chain = sox_create_effects_chain(&encoding, &encoding);
        const auto add = [&](sox_effect_t* effect, const sox_signalinfo_t& out) {
            if (effect == nullptr)
                return false;
            if (effect->priv != nullptr && (effect->handler.drain == InputDrain || effect->handler.flow == OutputFlow))
                static_cast<TEffectPriv*>(effect->priv)->Self = this;
            const bool added = sox_add_effect(chain, effect, &signal, &out) == SOX_SUCCESS;
            std::free(effect);
            return added;
        };
        std::string rate = std::to_string(m_outputRate);
        char quality[] = "-v";
        char* rateArgs[] = {quality, rate.data()};
        sox_effect_t* rateEffect = sox_create_effect(sox_find_effect("rate"));
        ok = chain != nullptr && add(sox_create_effect(&input), signal) && rateEffect != nullptr &&
             sox_effect_options(rateEffect, 2, rateArgs) == SOX_SUCCESS && add(rateEffect, target) &&
             add(sox_create_effect(&output), target);
        if (ok)
            ok = sox_flow_effects(chain, nullptr, nullptr) == SOX_SUCCESS;
        if (chain != nullptr)
            sox_delete_effects_chain(chain);
    }
    std::lock_guard lock(m_mutex);
    m_failed = !ok;
    m_stopped = true;
    m_changed.notify_all();
}

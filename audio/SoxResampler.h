#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Resamples signed 16-bit PCM through libsox ("rate -v") on a thread of
// its own: our input effect takes the pieces handed over with Feed, our
// output effect hands the resampled samples to the output function on that
// thread. No files are involved.
class TSoxResampler {
public:
    // Called on the SoX thread with interleaved samples. False: nothing
    // more is wanted; the input is still drained so no feeder waits.
    using TOutput = std::function<bool(const std::int16_t* samples, std::size_t count)>;

    TSoxResampler(std::uint32_t inputRate, std::uint16_t channels, std::uint32_t outputRate, TOutput output);
    // Ends the input and joins the thread, whatever happened before.
    ~TSoxResampler();
    TSoxResampler(const TSoxResampler&) = delete;
    TSoxResampler& operator=(const TSoxResampler&) = delete;

    // Hands bytes of samples over; returns once SoX has taken all of them
    // (or has stopped). An empty piece does nothing. From one thread at a time.
    void Feed(const void* data, std::size_t bytes);
    // Ends the input and waits until SoX has delivered its last samples.
    // False when libsox failed.
    bool Finish();
    bool OutputRefused() const;
    // True once libsox has stopped on an error of its own.
    bool Failed() const;

private:
    struct TEffectPriv {
        TSoxResampler* Self;
    };
    void HandOver(const std::uint8_t* data, std::size_t bytes);
    void Run();
    std::size_t TakeInput(std::int32_t* out, std::size_t samples);
    void Deliver(const std::int32_t* in, std::size_t samples);
    static int InputDrain(struct sox_effect_t* effect, std::int32_t* out, std::size_t* samples);
    static int OutputFlow(struct sox_effect_t* effect, const std::int32_t* in, std::int32_t* out,
                          std::size_t* inSamples, std::size_t* outSamples);

    const std::uint32_t m_inputRate;
    const std::uint16_t m_channels;
    const std::uint32_t m_outputRate;
    TOutput m_output;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    const std::uint8_t* m_input = nullptr;
    std::size_t m_remaining = 0;
    bool m_end = false;
    bool m_stopped = false;
    bool m_failed = false;
    bool m_refused = false;

    std::uint8_t m_odd = 0;  // the feeder's
    bool m_hasOdd = false;
    std::vector<std::int16_t> m_converted;  // the SoX thread's
    std::thread m_thread;
};

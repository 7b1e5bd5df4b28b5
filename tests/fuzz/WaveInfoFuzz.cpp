// The caller-ID decoder's result and the call texts from the input: the
// result as words through CallText, the recorder's call record through its
// text, and the wave-file info view's whole text over a wave file from the
// input with a decoder whose result is the input's. Layout: [result, 256
// bytes][call record, 26][the wave file].
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "audio/AonApi.h"
#include "audio/WaveFileInfo.h"
#include "core/flash/CallInfo.h"
#include "core/flash/ScanTexts.h"
#include "tests/fuzz/FuzzFiles.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzReset.h"

namespace {

// What the decoder stand-in answers; set per input.
TAonResult g_result{};

void DecoderInit(std::uint32_t) {}
void DecoderProcess(std::uint32_t, const std::int16_t*) {}
void DecoderGetResult(std::uint16_t* result)
{
    std::copy(g_result.begin(), g_result.end(), result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetKeepingLanguages();
    FuzzInput input(data, size);
    g_result = {};
    const auto words = input.Bytes(sizeof g_result);
    std::memcpy(g_result.data(), words.data(), words.size());
    std::array<std::uint8_t, TCallInfo::kSize> record{};
    const auto recordBytes = input.Bytes(record.size());
    std::copy(recordBytes.begin(), recordBytes.end(), record.begin());
    const auto file = input.Rest();

    CallText(g_result);
    const TScanTexts texts;
    const TCallInfo call = TCallInfo::FromBytes(record.data());
    call.Text(texts.Outgoing, texts.Incoming, texts.NumberSign);

    const QString path = WriteFuzzFile(QStringLiteral("info.wav"), file.data(), file.size());
    const TAonFunctions decoder{DecoderInit, DecoderProcess, DecoderGetResult};
    BuildWaveFileInfo(path, &decoder);
    ResetKeepingLanguages();
    return 0;
}

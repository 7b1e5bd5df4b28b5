// The recorder settings record: its first 142 bytes parsed and normalised,
// then the record read over a link whose replies are the rest of the input
// (a command fails once the input is spent).
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/protocol/RecXchange.h"
#include "core/settings/RecorderSettings.h"
#include "core/settings/RecorderSettingsTransfer.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzReset.h"

namespace {

FuzzInput* Replies = nullptr;

bool Probe()
{
    return true;
}

void Transaction(std::uint8_t code, const void*, std::uint32_t, void* reply, std::uint32_t replyLength,
                 std::uint32_t)
{
    if (!reply || !replyLength)
        return;
    const auto bytes = Replies->Bytes(replyLength);
    if (bytes.size() < replyLength)
        ThrowIoError(code);
    std::memcpy(reply, bytes.data(), bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetKeepingLanguages();
    FuzzInput input(data, size);
    std::array<std::uint8_t, TRecorderSettings::kSize> record{};
    const auto head = input.Bytes(record.size());
    std::copy(head.begin(), head.end(), record.begin());
    TRecorderSettings settings = TRecorderSettings::Parse(record.data());
    NormaliseRecorderSettings(settings);

    Replies = &input;
    SetLink(Probe, Transaction);
    try {
        ReadRecorderSettings(settings, ctUsb20Adapter);
    } catch (const TERecXchange&) {
    }
    Replies = nullptr;
    ResetKeepingLanguages();
    return 0;
}

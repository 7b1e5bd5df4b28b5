#include "tests/support/SimRecorderLink.h"

#include <atomic>
#include <cstring>
#include <stdexcept>

#include "core/links/Link.h"
#include "core/protocol/RecXchange.h"

namespace {

std::atomic<SimRecorder*> Current{nullptr};
std::atomic<bool> Online{true};

bool Probe()
{
    return Current.load() && Online.load();
}

void Transaction(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                 std::uint32_t replyLength, std::uint32_t)
{
    SimRecorder* recorder = Current.load();
    if (!recorder || !Online.load())
        ThrowIoError(code);
    const auto* in = static_cast<const std::uint8_t*>(request);
    const auto answer = recorder->Execute(code, std::span(in, in ? requestLength : 0));
    if (!answer)
        ThrowIoError(code);
    if (reply && replyLength) {
        if (answer->size() < replyLength)
            ThrowIoError(code);
        std::memcpy(reply, answer->data(), replyLength);
    }
}

}  // namespace

SimRecorderLink::SimRecorderLink(SimRecorder& recorder)
{
    SimRecorder* expected = nullptr;
    if (!Current.compare_exchange_strong(expected, &recorder))
        throw std::logic_error("a simulated recorder is already linked");
    Online = true;
    SetLink(Probe, Transaction);
}

SimRecorderLink::~SimRecorderLink()
{
    ResetLink();
    Current = nullptr;
}

void SimRecorderLink::SetOnline(bool online)
{
    Online = online;
}

// A fake of the caller-ID decoder library: logs what it is fed and hands
// back the result a test scripted. Built as libaon.so for the tests only;
// one variant lacks AonGetResult.

#pragma GCC visibility push(default)
#include "audio/AonApi.h"
#pragma GCC visibility pop

#include <algorithm>

#include "tests/support/FakeAon.h"

namespace {

FakeAonControl& Control()
{
    static FakeAonControl control;
    return control;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) FakeAonControl* FakeAon_Control()
{
    return &Control();
}

void AonInit(std::uint32_t sampleRate)
{
    Control().Calls.emplace_back("Init");
    Control().InitRates.push_back(sampleRate);
}

void AonProcess(std::uint32_t sampleCount, const std::int16_t* samples)
{
    Control().Calls.emplace_back("Process");
    Control().ProcessCounts.push_back(sampleCount);
    Control().Blocks.emplace_back(samples, samples + sampleCount);
}

#ifndef FAKE_AON_WITHOUT_GET_RESULT
void AonGetResult(std::uint16_t* result)
{
    Control().Calls.emplace_back("GetResult");
    const FakeAonControl& control = Control();
    std::copy_n(control.Result.begin(), std::min(control.WrittenWords, control.Result.size()), result);
}
#endif

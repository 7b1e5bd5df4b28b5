#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Control of the fake caller-ID library (libaon.so built from
// tests/support): a scripted result and a log of every call. Tests reach it
// through FakeAon_Control() in the loaded library (see FakeAonLibrary.h).
struct FakeAonControl {
    // The result AonGetResult writes: its first WrittenWords words.
    std::array<std::uint16_t, 128> Result{};
    std::size_t WrittenWords = 128;

    // What the library was given, calls in order ("Init", "Process", "GetResult").
    std::vector<std::string> Calls;
    std::vector<std::uint32_t> InitRates;
    std::vector<std::uint32_t> ProcessCounts;
    std::vector<std::vector<std::int16_t>> Blocks;  // the samples of each AonProcess

    void Reset() { *this = FakeAonControl(); }
};

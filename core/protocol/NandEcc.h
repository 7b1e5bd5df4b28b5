#pragma once

#include <cstdint>

// The 3-byte Hamming ECC of SmartMedia flash over 256 data bytes, in its
// byte order. Guards each 256 bytes of a flash-drive page.
void NandEccCalculate(std::uint8_t ecc[3], const void* data256);

enum NandEccResult : int {
    NandEccNoError = 0,
    NandEccDataCorrected = 1,  // one data bit wrong: index and value are given
    NandEccEccError = 2,       // one bit of the ECC itself wrong; the data are good
    NandEccUncorrectable = 3,
};

// Compares the stored ECC with the one of the data read. For one wrong
// data bit, index and value (either may be null) receive the byte's
// position and its corrected value; the data are left as they are.
int NandEccCorrect(const std::uint8_t eccA[3], const std::uint8_t eccB[3], const std::uint8_t* data256,
                   std::uint32_t* index, std::uint8_t* value);

#include "core/protocol/SampleRate.h"

std::uint16_t RateCodeToHz(std::uint8_t code)
{
    switch (code) {
    case 0: return 16000;
    case 1: return 8000;
    default: return 4000;
    }
}

std::uint8_t RateHzToCode(std::uint16_t hz)
{
    switch (hz) {
    case 8000: return 1;
    case 16000: return 0;
    default: return 2;
    }
}

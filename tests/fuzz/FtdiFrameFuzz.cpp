// The FTDI link's ReceiveFrame over the fake D2XX library, the input being
// the adapter's reply bytes: [u8 unused][u16 payload length][u8 bytes per
// read (0: as asked)][u8 empty reads before each piece][reply bytes].
#include <cstdint>
#include <string>
#include <vector>

#include "core/links/ftdi/FtdiLink.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzReset.h"
#include "tests/support/FakeFtdiLibrary.h"

namespace {

// Moves 10 ms each look, so a stalled read times out after a few turns.
std::uint64_t SteppingNow()
{
    static std::uint64_t now = 0;
    return now += 10;
}

FakeFtdiLibrary& Fake()
{
    static FakeFtdiLibrary fake(std::string(TRELLAVOX_FAKE_FTD2XX_DIR) + "/libftd2xx.so");
    return fake;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetKeepingLanguages();
    FakeFtdiControl& control = Fake().Control();
    control.Reset();
    control.LogCalls = false;

    FuzzInput input(data, size);
    input.U8();
    const std::uint32_t length = input.U16() % 1024;
    control.MaxReadPiece = input.U8();
    control.EmptyReadsBeforePiece = input.U8() % 4;
    const auto reply = input.Rest();

    FtdiLinkState().LibraryNames = {Fake().Path()};
    FtdiLinkState().NowMs = SteppingNow;
    if (FtdiLoadLibrary() && FtdiOpen()) {
        // After the open, whose purge drops whatever the adapter held.
        control.ToHost.assign(reply.begin(), reply.end());
        control.ToHostRead = 0;
        std::vector<std::uint8_t> payload(length);
        ReceiveFrame(length, payload.data(), 300);
    }
    ResetKeepingLanguages();
    control.Reset();
    return 0;
}

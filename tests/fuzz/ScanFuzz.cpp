// The content scan over a SimRecorder whose pages come from the input (see
// ScanFuzz.h) after a first byte whose low bit sets skip-silence. The harness fixes the CRC of every written header copy, so
// inputs reach the vote and the assembly; a copy whose stored CRC is 0 keeps
// it, so bad copies stay reachable.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/flash/BlockHeader.h"
#include "core/flash/BlockList.h"
#include "core/flash/ContentScan.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/protocol/RecXchange.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzReset.h"
#include "tests/fuzz/ScanFuzz.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"

namespace {

void FixHeaderCrcs(std::vector<std::uint8_t>& firstPage)
{
    for (std::size_t copy = 0; copy < 3; ++copy) {
        const auto at = firstPage.begin() + static_cast<std::ptrdiff_t>(copy * TBlockHeader::kSize);
        TBlockHeader header;
        std::copy_n(at, TBlockHeader::kSize, header.Bytes.begin());
        if (header.IsAllErased() || header.Crc() == 0)
            continue;
        header.UpdateCrc();
        std::copy(header.Bytes.begin(), header.Bytes.end(), at);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetKeepingLanguages();
    const SimGeometry geometry = scan_fuzz::Geometry();
    SimRecorder recorder(geometry, SimPageStride::PageAndSpare);
    recorder.SetFirstDataBlock(scan_fuzz::kFirstDataBlock);

    FuzzInput input(data, size);
    const bool skipSilence = input.U8() & 1;
    // Pages are put together here and stored once each, and erased ones not
    // at all, as the simulated flash checks every write it takes.
    std::vector<std::vector<std::uint8_t>> pages(geometry.TotalPages(),
                                                 std::vector<std::uint8_t>(geometry.RawPageSize(), 0xFF));
    while (input.Left() >= scan_fuzz::kRecordHeader) {
        auto& page = pages[input.U8() % pages.size()];
        const std::uint32_t offset = input.U16() % geometry.RawPageSize();
        const std::size_t length = std::min<std::size_t>(input.U16(), geometry.RawPageSize() - offset);
        const auto bytes = input.Bytes(length);
        std::copy(bytes.begin(), bytes.end(), page.begin() + offset);
    }
    for (std::uint64_t page = 0; page < pages.size(); ++page) {
        if (page % scan_fuzz::kPagesPerBlock == 0)
            FixHeaderCrcs(pages[page]);
        if (std::any_of(pages[page].begin(), pages[page].end(), [](std::uint8_t b) { return b != 0xFF; }))
            recorder.WritePage(page, pages[page]);
    }

    SimRecorderLink link(recorder);
    TScanContext context;
    context.Geometry = {1, static_cast<std::uint16_t>(scan_fuzz::kBlocks), scan_fuzz::kPagesPerBlock,
                        static_cast<std::uint16_t>(recorder.PageStride()), scan_fuzz::kFirstDataBlock};
    context.SkipSilence = skipSilence;
    TBlockList freeBlocks;
    TSoundFileList sounds;
    TDriveFileList drives;
    try {
        TContentScan scan(context);
        scan.Run({freeBlocks, sounds, drives}, [](std::uint8_t) {});
    } catch (const TERecXchange&) {
    }
    return 0;
}

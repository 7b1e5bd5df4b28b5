// The content scan over a SimRecorder whose pages come from the input (see
// ScanFuzz.h) after a first byte whose low bit sets skip-silence. The harness fixes the CRC of every written header copy, so
// inputs reach the vote and the assembly; a copy whose stored CRC is 0 keeps
// it, so bad copies stay reachable.
#include <algorithm>
#include <cstdint>
#include <span>
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

void FixHeaderCrcs(std::span<std::uint8_t> firstPage)
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
    // at all, as the simulated flash checks every write it takes; only the
    // pages a record reached are looked at.
    const std::size_t pageBytes = geometry.RawPageSize();
    std::vector<std::uint8_t> flash(geometry.TotalPages() * pageBytes, 0xFF);
    std::vector<bool> touched(geometry.TotalPages(), false);
    while (input.Left() >= scan_fuzz::kRecordHeader) {
        const std::size_t page = input.U8() % touched.size();
        const std::uint32_t offset = input.U16() % pageBytes;
        const std::size_t length = std::min<std::size_t>(input.U16(), pageBytes - offset);
        const auto bytes = input.Bytes(length);
        std::copy(bytes.begin(), bytes.end(), flash.begin() + static_cast<std::ptrdiff_t>(page * pageBytes + offset));
        touched[page] = touched[page] || !bytes.empty();
    }
    for (std::uint64_t page = 0; page < touched.size(); ++page) {
        if (!touched[page])
            continue;
        const std::span<std::uint8_t> bytes(flash.data() + page * pageBytes, pageBytes);
        if (page % scan_fuzz::kPagesPerBlock == 0)
            FixHeaderCrcs(bytes);
        if (std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0xFF; }))
            recorder.WritePage(page, bytes);
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

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
#include "core/recorder/ProcessState.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/ScanFuzz.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"

namespace {

void FixHeaderCrcs(SimRecorder& recorder)
{
    for (std::uint32_t block = 0; block < scan_fuzz::kBlocks; ++block) {
        const std::uint64_t page = std::uint64_t{block} * scan_fuzz::kPagesPerBlock;
        std::vector<std::uint8_t> bytes = recorder.ReadPage(page);
        for (std::size_t copy = 0; copy < 3; ++copy) {
            TBlockHeader header;
            std::copy_n(bytes.begin() + copy * TBlockHeader::kSize, TBlockHeader::kSize, header.Bytes.begin());
            if (header.IsAllErased() || header.Crc() == 0)
                continue;
            header.UpdateCrc();
            std::copy(header.Bytes.begin(), header.Bytes.end(), bytes.begin() + copy * TBlockHeader::kSize);
        }
        recorder.WritePage(page, bytes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetProcessState();
    const SimGeometry geometry = scan_fuzz::Geometry();
    SimRecorder recorder(geometry, SimPageStride::PageAndSpare);
    recorder.SetFirstDataBlock(scan_fuzz::kFirstDataBlock);

    FuzzInput input(data, size);
    const bool skipSilence = input.U8() & 1;
    while (input.Left() >= scan_fuzz::kRecordHeader) {
        const std::uint64_t page = input.U8() % geometry.TotalPages();
        const std::uint32_t offset = input.U16() % geometry.RawPageSize();
        const std::size_t length = std::min<std::size_t>(input.U16(), geometry.RawPageSize() - offset);
        const auto bytes = input.Bytes(length);
        std::vector<std::uint8_t> raw = recorder.ReadPage(page);
        std::copy(bytes.begin(), bytes.end(), raw.begin() + offset);
        recorder.WritePage(page, raw);
    }
    FixHeaderCrcs(recorder);

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

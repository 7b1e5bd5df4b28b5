#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/flash/BlockHeader.h"
#include "core/flash/CodecTable.h"

// Where the sound bytes of a recording's page lie. Every page ends with its
// status word (never sound). Before the sound: the block's header area on a
// block's first page, the stretch's start time (three u32) on the page after
// a break page, and four bytes more on the page after that one; pages of the
// ADPCM framing (codec table) keep two bytes more in front, except on a
// stamp page (a PCM sample the decoder does not use). Uploads lay pages out
// by the same rules.
enum class TSoundPageKind : std::uint8_t {
    BlockStart,  // first page of a block
    Stamp,       // the page after a break page, within its block
    AfterStamp,  // the page after a stamp page
    Plain,       // any other page
};

namespace sound_framing {
constexpr std::uint32_t kBlockStartBytes = 64;
constexpr std::uint32_t kStampBytes = 12;
constexpr std::uint32_t kAfterStampBytes = 4;
constexpr std::uint32_t kAdpcmLeadBytes = 2;
}  // namespace sound_framing

// First sound byte of a page of that kind under the codec's framing.
std::uint32_t SoundDataStart(TPageFraming framing, TSoundPageKind kind);
// One past the last sound byte: the status word follows.
constexpr std::uint32_t SoundDataEnd(std::uint32_t pageSize)
{
    return pageSize - 2;
}
// The kind of the page that follows a page of this kind in the same run (a
// run never crosses a block).
constexpr TSoundPageKind NextPageKind(TSoundPageKind kind)
{
    return kind == TSoundPageKind::Stamp ? TSoundPageKind::AfterStamp : TSoundPageKind::Plain;
}

// The number of samples DecodeSoundPages makes of a run of pages of one
// block from firstKind on (it depends on the codec, the framing and the
// page size only), without the pages.
std::size_t DecodedSampleCount(const TBlockHeader& header, TSoundPageKind firstKind, std::uint32_t pageSize,
                               std::size_t pages);

// Decodes a run of consecutive pages of one block (pageSize bytes each,
// back to back) into 16-bit samples by the recording's header (its codec
// by bytes 8-9 from the codec table, its rate by byte 10),
// framing each page by its kind from firstKind on. With lastIsBreak the
// erased words at the end of the last page (0xFFFF, read back from its
// status word) are set to 0 in place first, so they decode as zero codes.
// The codec state starts afresh on every page. out is resized to the
// samples produced (none for an unknown compression); its storage is
// reused from call to call.
void DecodeSoundPages(const TBlockHeader& header, TSoundPageKind firstKind, std::span<std::uint8_t> pages,
                      std::uint32_t pageSize, bool lastIsBreak, std::vector<std::int16_t>& out);

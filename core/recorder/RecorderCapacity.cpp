#include "core/recorder/RecorderCapacity.h"

#include <cmath>
#include <limits>

#include "core/flash/CodecTable.h"
#include "core/flash/BlockHeader.h"
#include "core/flash/DriveFileLayout.h"
#include "core/flash/FlashGeometry.h"
#include "core/protocol/SampleRate.h"
#include "core/transfer/UploadLayout.h"

double SecondsPerBlock(std::uint8_t rateCode, std::uint8_t compress, std::uint8_t param,
                       std::uint32_t pagesPerBlock, std::uint32_t pageSize)
{
    const std::int64_t rate = RateCodeToHz(rateCode);
    const TCodecInfo* codec = FindCodec(compress, param);
    const std::int64_t payload =
        codec ? SoundBytesPerBlock(codec->framing, pagesPerBlock, pageSize) * codec->uploadDivisor : 0;
    return static_cast<double>(payload) / (2.0 * static_cast<double>(rate));
}

std::uint64_t ProfileRecordSeconds(double secondsPerBlock, std::uint64_t freeBlocks)
{
    const double seconds = secondsPerBlock * static_cast<double>(freeBlocks);
    if (!(seconds > 0))
        return 0;
    if (seconds >= 18446744073709551616.0)
        return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(seconds);
}

std::int64_t UploadSizeFor(const TWaveSourceFormat& format, std::uint8_t compress, std::uint8_t param,
                           std::uint32_t hardwareVariant, std::uint32_t pagesPerBlock, std::uint32_t pageSize)
{
    if (format.FormatTag != kWaveFormatPcm || format.BitsPerSample != 16 || format.Channels != 1)
        return -1;
    const std::uint32_t rate = format.SamplesPerSec;
    const bool lowRate = rate == 4000 || rate == 8000;
    const bool wideAllowed = rate == 16000 && hardwareVariant != 2;
    const TCodecInfo* codec = FindCodec(compress, param);
    if (!codec || !(codec->lowRatesOnly ? lowRate : lowRate || wideAllowed))
        return -1;
    const std::uint64_t perBlock = UploadSamplesPerBlock(*codec, pagesPerBlock, pageSize, rate);
    const TFlashGeometry geometry{1, 0, static_cast<std::uint16_t>(pagesPerBlock),
                                  static_cast<std::uint16_t>(pageSize), 0};
    if (perBlock == 0 || geometry.BlockBytes() <= TBlockHeader::kAreaSize)
        return -1;
    const std::uint64_t blocks = UploadBlocksNeeded(format.DataBytes / 2, perBlock);
    const std::uint64_t bytes = geometry.FreeBytes(blocks);
    return bytes > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
               ? std::numeric_limits<std::int64_t>::max()
               : static_cast<std::int64_t>(bytes);
}

std::uint64_t FreeDriveFileBytes(const TFlashGeometry& geometry, std::uint64_t freeBlocks)
{
    if (geometry.PageSize < drive_layout::kChunkBytes)
        return 0;
    return drive_layout::FileBytesThatFit(geometry, freeBlocks);
}

bool DriveEntryFits(std::int64_t size, std::int64_t room)
{
    return room > 0 && size <= room;
}

#include "core/flash/SoundFileInfo.h"

#include "core/flash/SoundFileList.h"

TPcmWaveFormat TPcmWaveFormat::Mono16(std::uint32_t rate)
{
    TPcmWaveFormat format;
    format.FormatTag = 1;
    format.Channels = 1;
    format.SamplesPerSec = rate;
    format.AvgBytesPerSec = 2 * rate;
    format.BlockAlign = 2;
    format.BitsPerSample = 16;
    return format;
}

TCustomSoundFileInfo::TCustomSoundFileInfo() = default;

TCustomSoundFileInfo::~TCustomSoundFileInfo() = default;

TSoundFileInfo::TSoundFileInfo() : Blocks(std::make_unique<TBlockList>()), Pages(std::make_unique<TSoundPageList>()) {}

TSoundFileInfo::~TSoundFileInfo()
{
    // Parts refer to this recording's pages: free them before the pages.
    VoiceParts.reset();
}

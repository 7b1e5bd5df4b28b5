#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>

#include "core/flash/BlockHeader.h"
#include "core/flash/BlockList.h"
#include "core/flash/CodecTable.h"
#include "core/flash/SoundPageList.h"
#include "platform/SystemTime.h"

class TSoundFileInfo;
class TSoundFileList;

// The wave format of decoded audio as it is stored with a recording: the
// 18 bytes of a wave format record and 2 bytes more.
struct TPcmWaveFormat {
    std::uint16_t FormatTag = 0;
    std::uint16_t Channels = 0;
    std::uint32_t SamplesPerSec = 0;
    std::uint32_t AvgBytesPerSec = 0;
    std::uint16_t BlockAlign = 0;
    std::uint16_t BitsPerSample = 0;
    std::uint16_t ExtraSize = 0;
    std::uint16_t Reserved = 0;

    // 16-bit mono PCM at the rate.
    static TPcmWaveFormat Mono16(std::uint32_t rate);
};
static_assert(sizeof(TPcmWaveFormat) == 20);

// What a recording, or a voice part of one, is as the lists show it.
class TCustomSoundFileInfo {
public:
    TCustomSoundFileInfo();
    virtual ~TCustomSoundFileInfo();
    TCustomSoundFileInfo(const TCustomSoundFileInfo&) = delete;
    TCustomSoundFileInfo& operator=(const TCustomSoundFileInfo&) = delete;

    std::uint16_t Number = 0;                    // record number; a voice part's part number from 1
    QString NumberText;                          // decimal; a voice part's: recording's text "." part number
    std::int64_t Size = 0;                       // bytes
    SYSTEMTIME StartTime{};                      // local date and time of the first page's recorder time
    std::uint32_t Length = 0;                    // seconds from the first page's play time to the end of the last
    TPcmWaveFormat Format{};                     // of the decoded audio
    std::array<std::uint8_t, 128> ExtraBlock{};  // not filled by the scan
    QString CallText;                            // direction and number of the call, else empty
    QString Description;                         // call text, rate, compression, cyclic and VAS notes
    std::uint8_t Status = 0;                     // 0x55 downloaded, 0xAA uploaded, 0xFF not yet downloaded
    float SecondsPerBlock = 0;
    std::uint8_t CodecId = 0;                    // TSoundCodecId
    TSoundFileInfo* Parent = nullptr;            // the recording of a voice part
    std::unique_ptr<TSoundFileList> VoiceParts;  // null until the scan assembles the recording
};

// A recording on the recorder, or one of its voice parts (whose block list
// stays empty and whose pages are a range of the recording's).
class TSoundFileInfo : public TCustomSoundFileInfo {
public:
    TSoundFileInfo();
    ~TSoundFileInfo() override;

    TBlockHeader Header{};      // of the recording's first block by time
    double SecondsPerPage = 0;  // seconds per block / pages per block
    std::unique_ptr<TBlockList> Blocks;
    std::unique_ptr<TSoundPageList> Pages;
};

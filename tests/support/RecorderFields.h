#pragma once

#include "core/recorder/Recorder.h"

// The recorder object's fields, for tests that set up a state no command
// sequence gives cheaply, or look at one no slot reports.
struct TRecorderFields {
    explicit TRecorderFields(TRecorder& recorder)
        : FSupplyVoltage(recorder.FSupplyVoltage),
          FClock(recorder.FClock),
          FChipCount(recorder.FChipCount),
          FBlocksPerChip(recorder.FBlocksPerChip),
          FPagesPerBlock(recorder.FPagesPerBlock),
          FPageSize(recorder.FPageSize),
          FFirmwareVersion(recorder.FFirmwareVersion),
          FModel(recorder.FModel),
          FModelDisplay(recorder.FModelDisplay),
          FFreeBlocks(recorder.FFreeBlocks),
          FSoundFiles(recorder.FSoundFiles),
          FDriveFiles(recorder.FDriveFiles),
          FConnected(recorder.FConnected),
          FContentChanged(recorder.FContentChanged),
          FSettings(recorder.FSettings),
          FSerial(recorder.FSerial),
          FProgress(recorder.FProgress),
          FState(recorder.FState),
          FTotalBytes(recorder.FTotalBytes),
          FFreeBytes(recorder.FFreeBytes),
          FUploadCompress(recorder.FUploadCompress),
          FUploadParam(recorder.FUploadParam),
          FConnectType(recorder.FConnectType),
          FImageFile(recorder.FImageFile),
          FSkipSilence(recorder.FSkipSilence),
          FAbort(recorder.FAbort),
          FFirstDataBlock(recorder.FFirstDataBlock),
          FEnabled(recorder.FEnabled),
          FQualityPresets(recorder.FQualityPresets),
          FVasPresets(recorder.FVasPresets),
          FHardwareVariant(recorder.FHardwareVariant),
          FAccessGranted(recorder.FAccessGranted)
    {
    }

    std::uint16_t& FSupplyVoltage;
    SYSTEMTIME& FClock;
    std::uint8_t& FChipCount;
    std::uint16_t& FBlocksPerChip;
    std::uint16_t& FPagesPerBlock;
    std::uint16_t& FPageSize;
    std::uint16_t& FFirmwareVersion;
    QString& FModel;
    QString& FModelDisplay;
    std::unique_ptr<TBlockList>& FFreeBlocks;
    std::unique_ptr<TSoundFileList>& FSoundFiles;
    std::unique_ptr<TDriveFileList>& FDriveFiles;
    std::uint8_t& FConnected;
    std::atomic<std::uint8_t>& FContentChanged;
    TRecorderSettings& FSettings;
    QString& FSerial;
    std::atomic<std::uint8_t>& FProgress;
    std::atomic<std::uint32_t>& FState;
    std::int64_t& FTotalBytes;
    std::int64_t& FFreeBytes;
    std::uint8_t& FUploadCompress;
    std::uint8_t& FUploadParam;
    std::uint32_t& FConnectType;
    QString& FImageFile;
    std::uint8_t& FSkipSilence;
    std::atomic<std::uint8_t>& FAbort;
    std::uint16_t& FFirstDataBlock;
    std::uint8_t& FEnabled;
    std::unique_ptr<TQualityPresetList>& FQualityPresets;
    std::unique_ptr<TVasPresetList>& FVasPresets;
    std::uint32_t& FHardwareVariant;
    std::uint8_t& FAccessGranted;
};

inline TRecorderFields Fields(TRecorder& recorder)
{
    return TRecorderFields(recorder);
}

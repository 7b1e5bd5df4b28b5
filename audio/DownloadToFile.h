#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/settings/StagedFile.h"

class TCustomRecorder;
class TCustomSoundFileInfo;
class TTransferUi;

// Downloads one recording (or, when item has a parent, that voice part
// whole) into fileName: a marked wave file, split by the program options,
// or with DialectFormat a 12-bit raw file at 11150 Hz. length and start
// pick the span in seconds (the reverse order of StartDownload's). Runs on
// the GUI thread and waits for the job through ui.
//
// True only when the job completed and the file was finished. Every file
// is written under a temporary name and gets its name only once all of the
// download is whole, flushed and checked for size; any failure or Cancel
// leaves no file of this download and an existing file of the name as it
// was, and a failure to write is told in one message (file and reason).
// written, when given, gets each file's path, size and CRC-32 (the parts in
// order) for VerifyWrittenFile. A completed download of a whole recording
// marks it downloaded (0x55) on the recorder and in item.
bool DownloadRecordToFile(TCustomRecorder* recorder, const QString& fileName, TCustomSoundFileInfo* item,
                          std::uint32_t length, std::uint32_t start, TTransferUi& ui,
                          std::vector<TWrittenFile>* written = nullptr);

// The bytes DownloadRecordToFile will put on the disk for item's span with
// the program options as they are: every part of the wave file (headers,
// mark frame, private chunk, audio), or the Dialect file. Checked against
// the target's free space before the job starts. None for a row without
// pages to plan from.
std::optional<std::uint64_t> PlannedDownloadBytes(const TCustomSoundFileInfo& item, std::uint32_t length,
                                                  std::uint32_t start);

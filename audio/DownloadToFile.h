#pragma once

#include <QString>
#include <cstdint>

class TCustomRecorder;
class TCustomSoundFileInfo;
class TTransferUi;

// Downloads one recording (or, when item has a parent, that voice part
// whole) into fileName: a marked wave file, split by the program options,
// or with DialectFormat a 12-bit raw file at 11150 Hz. length and start
// pick the span in seconds (the reverse order of StartDownload's). Runs on
// the GUI thread and waits for the job through ui.
//
// True only when the job completed and the file was finished. A completed
// download of a whole recording marks it downloaded (0x55) on the recorder
// and in item; cancelled downloads delete every file they wrote.
bool DownloadRecordToFile(TCustomRecorder* recorder, const QString& fileName, TCustomSoundFileInfo* item,
                          std::uint32_t length, std::uint32_t start, TTransferUi& ui);

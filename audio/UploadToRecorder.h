#pragma once

#include <QString>
#include <cstdint>

class TCustomRecorder;
class TTransferUi;

// Stores one wave file of the PC as recording `record` on the recorder, on
// the GUI thread: opens it, takes the recording's time (the time of the
// recording it was downloaded from when it carries a version-5 private
// chunk, else its modification time), asks before a partial upload when
// the free memory is short, then runs the upload job with the upload speed
// in the status line. True only when the job ran to its end; an open
// failure, a refused format or a refused partial upload are told with a
// message box and write nothing. A failed job was shown by ui.RunJob.
// Until the job's end is seen, a journal beside the main settings file
// notes the upload, so that a cut one is told on the next connect; when
// the journal cannot be written the upload does not start ("Writing error").
bool UploadWaveAsRecord(TCustomRecorder* recorder, const QString& fileName, std::uint16_t record, TTransferUi& ui);

#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "core/flash/FlashGeometry.h"
#include "core/recorder/WaveSource.h"
#include "platform/SystemTime.h"

class TCustomRecorder;
class TDriveFileList;
class TSoundFileList;

// An upload in hand (a wave file to a recording, a PC file to the flash
// drive) is noted in a small journal beside the main settings file before
// its first write to the flash, and the note goes once the upload has
// ended, well or with its error shown. A note left behind (the program
// killed, the PC down) lets the next connect of that recorder tell what
// arrived; nothing on the recorder is changed for it.
struct TUploadJournal {
    enum class TKind : std::uint8_t { Recording = 1, DriveFile = 2 };

    TKind Kind = TKind::Recording;
    QString Serial;            // of the recorder written to
    QString Source;            // the PC file
    std::uint16_t Record = 0;  // the new recording's number
    QString DriveName;         // the flash-drive file's name as stored
    std::uint32_t Stamp = 0;   // header time of the item's first block
    std::uint32_t Blocks = 0;  // blocks the upload takes (0: the flash not known)
    std::uint64_t Total = 0;   // a recording's samples, a drive file's bytes
    std::uint32_t Rate = 0;    // a recording's samples per second
};

// The geometry of the recorder's flash, when the object knows one.
TFlashGeometry KnownFlashGeometry(TCustomRecorder& recorder);

// The journals of the two uploads, as their jobs will write them: the
// stamp from the time the job gets, the blocks by the recorder's flash.
TUploadJournal RecordingUploadJournal(TCustomRecorder& recorder, const QString& source, std::uint16_t record,
                                      const TWaveSourceFormat& format, const SYSTEMTIME& time,
                                      std::int64_t neededBytes);
TUploadJournal DriveFileUploadJournal(TCustomRecorder& recorder, const QString& source, const QString& storedName,
                                      std::uint64_t size, const SYSTEMTIME& time);

// Where the journal goes: "<serial>-upload-<item>.tvu" beside the main
// settings file, one per item.
QString UploadJournalPath(const TUploadJournal& journal);
// Writes the file and syncs it and its folder; EFileWriteError on failure.
void SaveUploadJournal(const TUploadJournal& journal);
// A journal read without following a link, only from a regular file of
// bounded size; none when it is anything else or damaged.
std::optional<TUploadJournal> LoadUploadJournal(const QString& path);
// The journals left for this recorder.
QStringList UploadJournalFiles(const QString& serial);
void RemoveUploadJournal(const QString& path);

// What the next connect tells of a journal left behind, from the content
// the scan found: "... holds 32 s of 60 s", the bytes of a drive file, or
// nothing arrived. Empty when the item is on the recorder whole.
QString CutUploadText(const TUploadJournal& journal, const TSoundFileList& sounds, const TDriveFileList& drives,
                      const TFlashGeometry& geometry);

// The journal of one upload: saved when made (EFileWriteError when it
// cannot be), removed by Ended. Left by an exception it stays: the next
// connect then tells what arrived.
class TUploadJournalScope {
public:
    explicit TUploadJournalScope(const TUploadJournal& journal);
    TUploadJournalScope(const TUploadJournalScope&) = delete;
    TUploadJournalScope& operator=(const TUploadJournalScope&) = delete;

    // The upload ended well, or with its error shown to the user.
    void Ended();

private:
    QString m_path;
};

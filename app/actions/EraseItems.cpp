#include "app/actions/EraseItems.h"

#include <functional>

#include "app/lists/FileList.h"
#include "app/lists/RecordList.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/GuiJobRunner.h"
#include "app/services/LongOperation.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/DrivePath.h"
#include "core/flash/SoundFileList.h"
#include "core/recorder/CustomRecorder.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LangConst.h"
#include "localizer/LangFormat.h"

namespace {

constexpr std::uint8_t kNeverDownloaded = 0xFF;

// Starts one erase and waits for it; false after a failure, which was
// shown. The erase job ignores the abort that Cancel asks for: the request
// stays for the loop, which stops before the next item.
bool EraseAndWait(TCustomRecorder& recorder, TLongOperation& operation, const QString& what,
                  const std::function<void()>& start)
{
    const TRecorderJobResult result = RunRecorderJob(
        operation, recorder, LangConst(QStringLiteral("StatusErasingStr")) + QLatin1Char(' ') + what, true, start);
    return result.Outcome == TJobOutcome::Completed;
}

// The status as the recorder lists it: a selection's copy may be older.
std::uint8_t ListedStatus(TCustomRecorder& recorder, std::uint16_t number, std::uint8_t fallback)
{
    const TSoundFileList* files = recorder.GetSoundFiles();
    const int index = files ? files->IndexOfNumber(number) : -1;
    return index < 0 ? fallback : files->Item(index)->Status;
}

}  // namespace

void EraseRecorderItems(TCustomRecorder& recorder, TLongOperation& operation,
                        const std::vector<const TRecords::TRecordItem*>& records,
                        const std::vector<const TFileListItem*>& driveEntries, const QString& driveFolder,
                        const TEraseGate& gate)
{
    for (const TRecords::TRecordItem* record : records) {
        if (operation.CancelRequested())
            return;
        if (record->IsVoicePart())
            continue;
        const std::uint16_t number = record->RecordNumber;
        if (ProgramOptions.NonSavedEraseDisable && ListedStatus(recorder, number, record->Status) == kNeverDownloaded) {
            AppMessageBox(LangConstFormat(QStringLiteral("RecordNonDownloadedStr"), int{number}), MB_ICONINFORMATION,
                          ApplicationTitle());
            continue;
        }
        if (gate.Record && !gate.Record(*record))
            continue;
        if (!EraseAndWait(recorder, operation, QString::number(number), [&] { recorder.StartEraseSoundFile(number); }))
            return;
    }
    for (auto it = driveEntries.rbegin(); it != driveEntries.rend(); ++it) {
        if (operation.CancelRequested())
            return;
        const QString name = StoredDriveName(driveFolder, (*it)->Path + (*it)->Name);
        // The row's own file, also where two stored forms of one name are two rows.
        const TDriveFileList* files = recorder.GetDriveFiles();
        const int index = files ? files->IndexOfEntry((*it)->DriveFileIndex, name) : -1;
        if (index < 0) {
            AppMessageBox(LangConst(QStringLiteral("CantOpenStr")) + QLatin1Char(' ') + name, MB_OK,
                          ApplicationTitle());
            continue;
        }
        if (gate.DriveEntry && !gate.DriveEntry(**it))
            continue;
        if (!EraseAndWait(recorder, operation, name, [&] { recorder.StartEraseDriveFile(index); }))
            return;
    }
}

#include "app/connection/CutUploadNotice.h"

#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/GuiJobRunner.h"
#include "app/services/LongOperation.h"
#include "core/protocol/DebugLog.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/MessageBoxCodes.h"
#include "core/transfer/UploadJournal.h"
#include "localizer/LangConst.h"

void TellCutUploads(TCustomRecorder& recorder, TLongOperation& operation)
{
    const QString serial = recorder.GetSerialNumber();
    if (serial.isEmpty())
        return;
    std::vector<std::pair<QString, TUploadJournal>> left;
    for (const QString& path : UploadJournalFiles(serial)) {
        std::optional<TUploadJournal> journal = LoadUploadJournal(path);
        if (!journal || journal->Serial != serial) {
            DebugLog(QStringLiteral("Upload journal %1 is damaged or of another recorder; left alone").arg(path));
            continue;
        }
        left.emplace_back(path, std::move(*journal));
    }
    if (left.empty())
        return;
    // What arrived is what a scan finds now.
    const TJobOutcome scanned = RunRecorderJob(
                                    operation, recorder, LangConst(QStringLiteral("StatusRefreshingStr")), false,
                                    [&recorder] { recorder.RefreshContent(); }, false)
                                    .Outcome;
    if (scanned != TJobOutcome::Completed)
        return;
    const TFlashGeometry geometry = KnownFlashGeometry(recorder);
    QStringList texts;
    for (const auto& [path, journal] : left) {
        const QString text = CutUploadText(journal, *recorder.GetSoundFiles(), *recorder.GetDriveFiles(), geometry);
        if (!text.isEmpty())
            texts.append(text);
    }
    if (!texts.isEmpty()) {
        operation.CloseProgressBeforeMessage();
        AppMessageBox(texts.join(QLatin1Char('\n')), MB_ICONWARNING, ApplicationTitle());
    }
    for (const auto& entry : left)
        RemoveUploadJournal(entry.first);
}

#include "app/services/FormatRecorderMemory.h"

#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/GuiJobRunner.h"
#include "core/recorder/CustomRecorder.h"
#include "localizer/LangConst.h"

TJobOutcome FormatRecorderMemory(TCustomRecorder& recorder, TLongOperation& operation, bool askFirst)
{
    if (askFirst && AppMessageBox(LangConst(QStringLiteral("RecFormatStr")), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2,
                                  ApplicationTitle()) != IDYES)
        return TJobOutcome::None;
    return RunRecorderJob(operation, recorder, LangConst(QStringLiteral("StatusFormatingStr")), true,
                          [&recorder] { recorder.StartFormat(); })
        .Outcome;
}

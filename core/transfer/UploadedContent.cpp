#include "core/transfer/UploadedContent.h"

#include <QString>
#include <exception>

#include "core/flash/ContentScan.h"
#include "core/protocol/DebugLog.h"
#include "core/recorder/RecorderJobContext.h"

void TakeUploadedBlocks(TRecorderJobContext& context, std::size_t blocks, const TScanTexts& texts)
{
    TScanContext scanContext;
    scanContext.Geometry = context.Snapshot.Geometry;
    scanContext.SkipSilence = context.Snapshot.SkipSilence;
    scanContext.Texts = texts;
    TContentScan scan(std::move(scanContext));
    try {
        if (!scan.AddWritten(context.Lists, blocks))
            return;
    } catch (const std::exception& error) {
        // The upload itself is done; the lists are read again before the next one.
        DebugLog(QStringLiteral("Reading back the uploaded blocks failed: %1").arg(QString::fromUtf8(error.what())));
        return;
    }
    context.Results.FreeBytes = static_cast<std::int64_t>(scan.FreeBytes());
    context.Results.ContentChanged = false;
}

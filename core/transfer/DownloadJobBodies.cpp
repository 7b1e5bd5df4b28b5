#include "core/transfer/DownloadJobBodies.h"

#include "core/flash/SoundFileInfo.h"
#include "core/flash/SoundFileList.h"
#include "core/recorder/RecorderJobContext.h"
#include "core/transfer/BlockOwner.h"
#include "core/transfer/DownloadJob.h"

namespace {

TJobOutcome RunDownload(TRecorderJobContext& context, bool part)
{
    const auto& params = std::get<TDownloadJobParams>(context.Params);
    const TSoundFileList& recordings = context.Lists.SoundFiles;
    const int index = recordings.IndexOfNumber(params.Record);

    TDownloadRequest request;
    request.Recording = index >= 0 ? recordings.Item(index) : nullptr;
    request.RecordNumber = params.Record;
    request.Start = params.Start;
    request.Length = params.Length;
    if (part)
        request.PartIndex = params.PartIndex;
    request.Geometry = context.Snapshot.Geometry;
    // A row of a list the flash has left behind downloads nothing.
    if (request.Recording && request.Recording->Blocks && request.Recording->Blocks->Count() > 0)
        CheckBlocksBelong(request.Geometry, *request.Recording->Blocks, TBlockOwnerKind::Recording, 1);

    switch (DownloadRecording(request, context.Progress, context.AbortFlag, context.Sink)) {
    case TDownloadResult::Completed:
        return TJobOutcome::Completed;
    case TDownloadResult::Aborted:
        return TJobOutcome::Aborted;
    case TDownloadResult::SinkRefused:
        return TJobOutcome::SinkRefused;
    }
    return TJobOutcome::Failed;
}

}  // namespace

TJobOutcome DownloadJob(TRecorderJobContext& context)
{
    return RunDownload(context, false);
}

TJobOutcome DownloadPartJob(TRecorderJobContext& context)
{
    return RunDownload(context, true);
}

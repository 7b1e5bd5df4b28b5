#pragma once

#include "core/recorder/JobOutcome.h"

struct TRecorderJobContext;

// The bodies of the job table's Download and DownloadPart entries: the
// recording by its number in the context's lists, the snapshot's geometry,
// the link's page reads, the context's progress, abort flag and sink.
// DownloadPartJob takes the part index as given (from 1); DownloadJob the
// span from start over length.
TJobOutcome DownloadJob(TRecorderJobContext& context);
TJobOutcome DownloadPartJob(TRecorderJobContext& context);

#pragma once

#include "core/recorder/RecorderJobs.h"

// The scan job that RefreshContent starts: rebuilds the recorder's free
// blocks, recordings and flash-drive files and stores total and free
// memory. The content-changed flag is cleared only when the scan got to
// its end; a link failure leaves it set (and the lists without any record
// the scan had not finished) and raises TERecXchange.
TJobOutcome ScanBlockHeaders(TRecorder& recorder, const TRecorderJobParams& params);

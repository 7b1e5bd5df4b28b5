#pragma once

#include "core/recorder/RecorderJobs.h"

// The whole refresh that RefreshContent starts, as one job: reads the flash
// geometry, firmware version, serial number and the settings record, then
// scans the block headers and rebuilds the free blocks, recordings and
// flash-drive files and the total and free memory. Progress runs over all
// of it (the reads take the first tenth).
//
// What was read before a link failure stays in the results; the
// content-changed flag is cleared only when the scan got to its end. A link
// failure leaves the lists without any record the scan had not finished and
// raises TERecXchange.
TJobOutcome ScanBlockHeaders(TRecorderJobContext& context);

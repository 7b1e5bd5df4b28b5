#pragma once

// Every process-wide value of the core and the localizer back to its start:
// the link functions and their state (image, adapter, device library), the
// link geometry, the debug log, the program options with the folder
// overrides and the language manager. For tests; the recorder host stays
// with whoever registered it.
void ResetProcessState();

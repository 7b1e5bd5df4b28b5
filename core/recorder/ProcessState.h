#pragma once

// Every process-wide value of the core and the localizer back to its start:
// the link functions and their state (image, adapter, device library), the
// link geometry, the debug log, the program options with the folder
// overrides and the language manager. For tests; the recorder host stays
// with whoever registered it.
void ResetProcessState();
// The same, except the language manager, which stays as built: for fuzz
// targets whose inputs only look texts up, where rebuilding it would cost
// more than the input's own work.
void ResetProcessStateKeepingLanguages();

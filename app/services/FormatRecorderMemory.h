#pragma once

#include "core/recorder/JobOutcome.h"

class TCustomRecorder;
class TLongOperation;

// actFormatExecute: formats the recorder's memory from the PC with the
// status window and Cancel, the user interface locked. askFirst is false
// when the program itself runs it (a null Sender): no question then. A
// declined question gives None; a failure is shown once and gives Failed.
// Only Completed means that the memory was formatted, whatever the recorder
// object is.
TJobOutcome FormatRecorderMemory(TCustomRecorder& recorder, TLongOperation& operation, bool askFirst);

#pragma once

#include "core/recorder/RecorderJobs.h"

class TCustomRecorder;
class TLongOperation;

// actFormatExecute: formats the recorder's memory from the PC with the
// status window and Cancel, the user interface locked. askFirst is false
// when the program itself runs it (a null Sender): no question then. A
// declined question gives None; a link failure is shown and gives Failed.
// Only Completed means that the memory was formatted.
TJobOutcome FormatRecorderMemory(TCustomRecorder& recorder, TLongOperation& operation, bool askFirst);

#pragma once

#include "core/links/usb/Q71Library.h"

// The device-library table bound to the library's code in this process, so
// the link runs over whatever stands behind the library's file seam (a
// SimMailboxFileIo in tests).
TQ71Library InProcessQ71Library();

// The same, except that every receive reports failure after it has filled
// the buffer with the reply: what the link must not take for an answer.
TQ71Library InProcessQ71LibraryFailingReceives();

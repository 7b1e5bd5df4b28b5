#pragma once

#include <QString>
#include <exception>

#include "core/recorder/JobOutcome.h"

// The one text of a recorder failure: ExceptErrorStr ("ERROR: %s. Error
// code %d") for a link fault, the failure's own text otherwise, and a
// fallback when it has none.
QString RecorderErrorText(const TJobError& error);

// The same failure described by a caught exception; a file that could not
// be written is told by its three-line text.
TJobError JobErrorOf(const std::exception& error);

#pragma once

#include <QString>
#include <cstdint>

// The command trace of the link executors: before an attempt "Command: "
// with the code, its name and parameters read from the request; after a
// success "Result: OK" (for command 29 the geometry of the reply).
// data is the request before, the reply after; it may be null.
void TraceCommand(bool before, std::uint8_t code, const void* data);

// The text TraceCommand logs.
QString TraceCommandText(bool before, std::uint8_t code, const void* data);

#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/SystemTime.h"

// The diagnostic log "debug.log": off unless the program was started with
// "diag". One line per call: "mm:ss:zzz ", two blanks per indent step, the
// message, CR LF. Each line is one append, so two threads never interleave.
struct TDebugLogState {
    std::atomic<std::uint8_t> DebugLevel{0};   // 0 = off
    std::atomic<std::uint8_t> DebugIndent{0};  // nesting depth
    // Seams for tests: where the log goes and what the local time is.
    std::string FileName = "debug.log";
    SYSTEMTIME (*Clock)() = civil::LocalNow;
};

TDebugLogState& DebugLogState();
void ResetDebugLog();

inline bool DebugLogOn() { return DebugLogState().DebugLevel.load(std::memory_order_relaxed) > 0; }

void DebugLog(const QString& message);

// The line DebugLog writes, without touching the file.
std::string FormatDebugLogLine(const SYSTEMTIME& now, unsigned indent, const QString& message);

// Sets the level and writes the banner of five lines.
void SetDebugLevel(std::uint8_t level);

// Raises the indentation for the lifetime of the object.
class DebugIndentScope {
public:
    DebugIndentScope() { ++DebugLogState().DebugIndent; }
    ~DebugIndentScope() { --DebugLogState().DebugIndent; }
    DebugIndentScope(const DebugIndentScope&) = delete;
    DebugIndentScope& operator=(const DebugIndentScope&) = delete;
};

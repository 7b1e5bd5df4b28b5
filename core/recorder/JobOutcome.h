#pragma once

#include <QString>
#include <cstdint>

// How the last job ended. Callers that mark, erase or clear something after
// a job act only on Completed.
enum class TJobOutcome : std::uint8_t { None, Completed, Aborted, Failed, SinkRefused };

// Why a job failed. A link fault keeps its command code so that the message
// names it; any other failure keeps its text (empty when it had none).
struct TJobError {
    enum class TKind : std::uint8_t { None, LinkFault, Other };

    TKind Kind = TKind::None;
    QString Text;
    int Code = 0;

    bool IsSet() const { return Kind != TKind::None; }
};

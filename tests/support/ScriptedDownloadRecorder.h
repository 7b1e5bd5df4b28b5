#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "core/recorder/Recorder.h"
#include "core/recorder/RecorderJobContext.h"

// A recorder object whose download jobs write a script of pieces into
// their sink (through the job table seam, on the real job thread) and
// whose status slot records its calls.
class ScriptedDownloadRecorder : public TRecorder {
public:
    struct Script {
        std::vector<std::uint8_t> Bytes;  // everything the download delivers
        std::vector<std::size_t> Pieces;  // the piece sizes, in order
        int FailAtPiece = -1;             // a link error before that piece
        bool WaitForAbort = false;        // after the last piece, until Abort
        std::function<void(int piece)> BeforePiece;  // on the job thread, before each piece
        // In place of Bytes and Pieces: this many bytes of a sine, written
        // in 256 KiB pieces from one buffer (for recordings of many hours).
        std::uint64_t GeneratedBytes = 0;
    };

    ScriptedDownloadRecorder();
    ~ScriptedDownloadRecorder() override;

    QString GetSerialNumber() override { return Serial; }
    QString GetModelName() override { return Model; }
    void SetSoundFileStatus(std::uint16_t record, std::uint8_t status) override;

    Script Plan;
    QString Serial = QStringLiteral("4200000001");
    QString Model = QStringLiteral("Model 12");
    bool StatusUnavailable = false;  // the slot as this build has it
    std::vector<std::pair<std::uint16_t, std::uint8_t>> StatusCalls;
    TDownloadJobParams SeenParams;
    TRecorderJob SeenJob = TRecorderJob::Scan;

protected:
    const TRecorderJobInfo& JobInfo(TRecorderJob job) const override;

private:
    static TJobOutcome Body(TRecorderJobContext& context);
    static TJobOutcome Generate(TRecorderJobContext& context, std::uint64_t bytes);
    mutable TRecorderJobInfo m_info{};
};

// n samples of a sine, period in samples, amplitude a, as bytes.
std::vector<std::uint8_t> SineBytes(std::size_t n, double period, double amplitude);
// The pieces 0, 2, 480, 1024, 1025 and 256 KiB over and over, up to bytes.
std::vector<std::size_t> MixedPieces(std::size_t bytes);

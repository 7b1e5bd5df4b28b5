#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "massstorage/DrcbCommand.h"

class SimRecorder;

// One simulated recorder disk as the device library sees it through the
// mailbox file: a one-sector write at offset 0 that begins with "DRCB" arms
// a command, and the next transfers must be the ones that command expects
// (identify answers the recorder's flash parameters; page writes, part reads
// and erases go to the recorder's flash, data area only; link frames go to
// the recorder's frame server). Strict mode reports every transfer that is
// misaligned, not at offset 0, not whole sectors or out of order as a test
// failure. Without a recorder the disk is passive: it keeps what was written
// and reads it back, as a plain disk holding "service.dat" would.
class SimMailboxDevice {
public:
    struct Counters {
        std::uint32_t exchanges = 0;  // command sectors received
        std::uint32_t reads = 0;
        std::uint32_t writes = 0;
        std::uint64_t bytesRead = 0;
        std::uint64_t bytesWritten = 0;
    };

    // recorder may be null for a passive disk.
    SimMailboxDevice(SimRecorder* recorder, std::uint32_t sectorSize = 4096);

    std::uint32_t SectorSize() const { return m_sectorSize; }
    void SetStrict(bool strict) { m_strict = strict; }

    // Fault knobs. The n-th transfer (1-based, reads and writes counted
    // together from now) fails; the n-th read moves half its bytes.
    void FailTransfer(std::uint32_t n);
    void ShortRead(std::uint32_t n);
    void Unplug() { m_plugged = false; }
    void Replug() { m_plugged = true; }
    bool Plugged() const { return m_plugged; }
    // The recorder leaves this frame command without an answer.
    void LeaveUnanswered(std::uint8_t code);
    // Replaces the identify answer's first bytes (for implausible answers).
    void SetIdentifyAnswer(std::vector<std::uint8_t> answer) { m_identifyAnswer = std::move(answer); }

    // The commands received, in order (payload pointers are not kept).
    const std::vector<DrcbCommand>& Commands() const { return m_commands; }
    const Counters& Count() const { return m_counters; }
    void ClearLog();

    // The transfers of the mailbox file; -1 on failure.
    std::int64_t Read(void* buffer, std::size_t length, std::uint64_t offset);
    std::int64_t Write(const void* data, std::size_t length, std::uint64_t offset);

private:
    bool CheckTransfer(const void* buffer, std::size_t length, std::uint64_t offset);
    bool TakeFault(std::uint32_t transfer, std::optional<std::uint32_t>& fault) const;
    void Violation(const std::string& what);
    bool ServeRead(std::uint8_t* out, std::size_t length);
    bool ServeWrite(const std::uint8_t* data, std::size_t length);
    bool ReadParts(const DrcbCommand& command, std::uint8_t* out, std::size_t length);
    bool WritePages(const DrcbCommand& command, const std::uint8_t* data, std::size_t length);

    enum class Phase { Idle, Armed, Status };

    SimRecorder* m_recorder;
    std::uint32_t m_sectorSize;
    bool m_strict = true;
    bool m_plugged = true;

    Phase m_phase = Phase::Idle;
    DrcbCommand m_armed;
    std::optional<std::vector<std::uint8_t>> m_pendingFrame;
    std::vector<std::uint8_t> m_fileContent;  // what a passive disk holds
    std::vector<std::uint8_t> m_identifyAnswer;

    std::uint32_t m_transfers = 0;
    std::optional<std::uint32_t> m_failTransfer;
    std::uint32_t m_readsSinceKnob = 0;
    std::optional<std::uint32_t> m_shortRead;

    std::vector<DrcbCommand> m_commands;
    Counters m_counters;
};

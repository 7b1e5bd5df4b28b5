#pragma once

#include <scsi/sg.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fmttool/ScsiCdb.h"

class SimRecorder;

// One simulated USB disk as the formatting tool's device functions see it
// through SG_IO. With a recorder it answers the recorder's INQUIRY, READ
// CAPACITY(10) and READ(10) over the recorder's pages (page-only stride,
// data area only) and serves the vendor commands 0xC8: identify, page writes
// that replace pages as the firmware's do, part reads, and link frames
// through the recorder's frame server. Without a recorder it is a foreign
// disk: another INQUIRY answer, zeros to read, and vendor commands rejected.
// A header the tool should never build (not 16 command bytes, not the
// 2-second time-out, a data phase that does not match the command) is
// reported as a test failure.
class SimScsiDevice {
public:
    struct Command {
        passthrough::TCdb cdb{};
        int direction = SG_DXFER_NONE;
        std::uint32_t length = 0;
    };

    // recorder may be null for a foreign disk.
    explicit SimScsiDevice(SimRecorder* recorder, std::uint32_t sectorSize = 2048);

    std::uint32_t SectorSize() const { return m_sectorSize; }
    // The INQUIRY answer; the recorder's identity by default, a foreign
    // vendor's without a recorder.
    void SetInquiryAnswer(const std::vector<std::uint8_t>& answer) { m_inquiry = answer; }
    // Replaces the identify answer (for geometries a recorder cannot have).
    void SetIdentifyAnswer(const std::array<std::uint8_t, 12>& answer) { m_identifyAnswer = answer; }
    // Replaces the READ CAPACITY(10) answer (last block, block length); reads
    // still go by the sector size given at construction.
    void SetReadCapacityAnswer(const std::array<std::uint8_t, 8>& answer) { m_capacityAnswer = answer; }

    // Opening fails with this errno (EACCES, EBUSY, ...); 0 opens again.
    void FailOpen(int error) { m_openError = error; }
    int OpenError() const { return m_openError; }
    // Without the raw-I/O capability the kernel refuses vendor commands.
    void DenyRawIo() { m_denyRawIo = true; }

    // Fault knobs, counted in commands (1-based) from when they are set: the
    // n-th command ends with CHECK CONDITION and the given sense, times out,
    // or moves `missing` bytes fewer than asked.
    void CheckCondition(std::uint32_t n, std::uint8_t key, std::uint8_t asc, std::uint8_t ascq = 0);
    void TimeOut(std::uint32_t n);
    void ShortTransfer(std::uint32_t n, std::uint32_t missing);
    // The n-th command reports its whole data phase moved while it moved
    // none of it, as a faulty bridge might.
    void SilentlyDropData(std::uint32_t n) { m_dropData = m_served + n; }
    // Pages written into this block keep their first byte inverted, as a
    // worn block would; with times, only for that many writes of the whole
    // block (counted at its last page), then it holds what it is given.
    void WeakBlock(std::uint32_t block, std::optional<std::uint32_t> times = std::nullopt)
    {
        m_weakBlock = block;
        m_weakTimes = times;
    }

    // Every SG_IO request received, in order, also those that failed.
    const std::vector<Command>& Commands() const { return m_commands; }
    std::size_t CommandCount(std::uint8_t operationCode) const;
    void ClearLog() { m_commands.clear(); }

    // One SG_IO request: 0, or the errno the kernel would give.
    int Serve(sg_io_hdr& header);

private:
    struct Answer {
        std::uint8_t status = 0;
        std::array<std::uint8_t, 3> sense{};  // key, ASC, ASCQ
        std::uint32_t moved = 0;
    };

    Answer Dispatch(const passthrough::TCdb& cdb, sg_io_hdr& header);
    Answer Vendor(const passthrough::TCdb& cdb, sg_io_hdr& header);
    Answer Inquiry(const passthrough::TCdb& cdb, sg_io_hdr& header);
    Answer ReadCapacity(sg_io_hdr& header);
    Answer Read10(const passthrough::TCdb& cdb, sg_io_hdr& header);
    Answer WritePages(const passthrough::TCdb& cdb, sg_io_hdr& header);
    Answer ReadParts(const passthrough::TCdb& cdb, sg_io_hdr& header);
    bool Expect(const sg_io_hdr& header, int direction, std::uint64_t length);
    void Violation(const std::string& what);
    std::uint64_t CapacityBytes() const;
    bool Hits(const std::optional<std::uint32_t>& knob) const;

    SimRecorder* m_recorder;
    std::uint32_t m_sectorSize;
    std::vector<std::uint8_t> m_inquiry;
    std::optional<std::array<std::uint8_t, 12>> m_identifyAnswer;
    std::optional<std::array<std::uint8_t, 8>> m_capacityAnswer;
    std::optional<std::vector<std::uint8_t>> m_pendingFrame;
    int m_openError = 0;
    bool m_denyRawIo = false;

    std::uint32_t m_served = 0;  // commands since the last knob was set
    std::optional<std::uint32_t> m_checkCondition;
    std::array<std::uint8_t, 3> m_checkSense{};
    std::optional<std::uint32_t> m_timeOut;
    std::optional<std::uint32_t> m_shortTransfer;
    std::optional<std::uint32_t> m_dropData;
    std::uint32_t m_missing = 0;
    std::optional<std::uint32_t> m_weakBlock;
    std::optional<std::uint32_t> m_weakTimes;

    std::vector<Command> m_commands;
};

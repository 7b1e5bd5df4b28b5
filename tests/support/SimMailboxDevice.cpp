#include "tests/support/SimMailboxDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "tests/support/SimRecorder.h"

SimMailboxDevice::SimMailboxDevice(SimRecorder* recorder, std::uint32_t sectorSize)
    : m_recorder(recorder), m_sectorSize(sectorSize)
{
}

void SimMailboxDevice::FailTransfer(std::uint32_t n)
{
    m_transfers = 0;
    m_failTransfer = n;
}

void SimMailboxDevice::ShortRead(std::uint32_t n)
{
    m_readsSinceKnob = 0;
    m_shortRead = n;
}

void SimMailboxDevice::LeaveUnanswered(std::uint8_t code)
{
    if (m_recorder)
        m_recorder->InjectFault({SimFaultKind::Silence, 0, std::numeric_limits<std::uint32_t>::max(), code});
}

void SimMailboxDevice::ClearLog()
{
    m_commands.clear();
    m_counters = {};
}

void SimMailboxDevice::Violation(const std::string& what)
{
    if (m_strict)
        ADD_FAILURE() << "mailbox protocol: " << what;
}

bool SimMailboxDevice::CheckTransfer(const void* buffer, std::size_t length, std::uint64_t offset)
{
    bool ok = true;
    if (reinterpret_cast<std::uintptr_t>(buffer) % m_sectorSize != 0) {
        Violation("buffer not aligned to the sector size");
        ok = false;
    }
    if (length == 0 || length % m_sectorSize != 0) {
        Violation("length " + std::to_string(length) + " is not whole sectors");
        ok = false;
    }
    if (offset != 0) {
        Violation("transfer at offset " + std::to_string(offset));
        ok = false;
    }
    if (length > 0x10000) {
        Violation("transfer of " + std::to_string(length) + " bytes exceeds 64 KiB");
        ok = false;
    }
    return ok || !m_strict;
}

std::int64_t SimMailboxDevice::Read(void* buffer, std::size_t length, std::uint64_t offset)
{
    if (!m_plugged || !CheckTransfer(buffer, length, offset))
        return -1;
    ++m_transfers;
    ++m_readsSinceKnob;
    if (m_failTransfer && m_transfers == *m_failTransfer) {
        m_phase = Phase::Idle;  // the exchange is lost
        return -1;
    }
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (!ServeRead(out, length))
        return -1;
    ++m_counters.reads;
    if (m_shortRead && m_readsSinceKnob == *m_shortRead) {
        m_counters.bytesRead += length / 2;
        return static_cast<std::int64_t>(length / 2);
    }
    m_counters.bytesRead += length;
    return static_cast<std::int64_t>(length);
}

std::int64_t SimMailboxDevice::Write(const void* data, std::size_t length, std::uint64_t offset)
{
    if (!m_plugged || !CheckTransfer(data, length, offset))
        return -1;
    ++m_transfers;
    if (m_failTransfer && m_transfers == *m_failTransfer) {
        m_phase = Phase::Idle;
        return -1;
    }
    if (!ServeWrite(static_cast<const std::uint8_t*>(data), length)) {
        m_phase = Phase::Idle;
        return -1;
    }
    ++m_counters.writes;
    m_counters.bytesWritten += length;
    return static_cast<std::int64_t>(length);
}

bool SimMailboxDevice::ServeWrite(const std::uint8_t* data, std::size_t length)
{
    if (m_fileContent.size() < length)
        m_fileContent.resize(length, 0);
    std::copy_n(data, length, m_fileContent.begin());
    if (!m_recorder)
        return true;

    const bool pageData = m_phase == Phase::Armed && m_armed.command == q71WritePages &&
                          length == std::size_t{m_armed.count} * m_armed.partSize;
    DrcbCommand command;
    if (!pageData && length == m_sectorSize && DrcbCommand::Parse(data, length, command)) {
        if (m_phase != Phase::Idle)
            Violation("command " + std::to_string(command.command) + " while the previous one is unfinished");
        ++m_counters.exchanges;
        DrcbCommand logged = command;
        logged.payload = nullptr;
        m_commands.push_back(logged);
        m_armed = command;
        m_phase = Phase::Armed;
        if (command.command == q71SendI2C)
            m_pendingFrame = m_recorder->ServeFrame({command.payload, command.length});
        if (command.command == q71SendI2C || command.command == q71EraseBlock) {
            m_phase = Phase::Status;
            if (command.command == q71EraseBlock) {
                const auto perBlock = m_recorder->Geometry().pagesPerBlock;
                if (command.firstPage % perBlock != 0)
                    Violation("erase at page " + std::to_string(command.firstPage) + ", not a block start");
                if (command.firstPage / perBlock >= m_recorder->Geometry().TotalBlocks())
                    return false;
                m_recorder->EraseBlock(command.firstPage / perBlock);
            }
        }
        return true;
    }
    if (m_phase != Phase::Armed || m_armed.command != q71WritePages) {
        Violation("data written without a write command");
        return false;
    }
    m_phase = Phase::Status;
    return WritePages(m_armed, data, length);
}

bool SimMailboxDevice::WritePages(const DrcbCommand& command, const std::uint8_t* data, std::size_t length)
{
    const std::uint32_t pageSize = m_recorder->Geometry().pageSize;
    if (command.partSize != pageSize || command.step != 1 || command.offset != 0 ||
        length != std::size_t{command.count} * pageSize) {
        Violation("write of " + std::to_string(length) + " bytes does not match its command");
        return false;
    }
    if (command.firstPage + std::uint64_t{command.count} > m_recorder->Geometry().TotalPages())
        return false;
    for (std::uint32_t i = 0; i < command.count; ++i) {
        // The data area only: the spare bytes are kept.
        m_recorder->WritePage(command.firstPage + i, {data + std::size_t{i} * pageSize, pageSize});
    }
    return true;
}

bool SimMailboxDevice::ServeRead(std::uint8_t* out, std::size_t length)
{
    if (!m_recorder) {
        // A plain disk: what was written last, zeros after it.
        std::fill_n(out, length, std::uint8_t{0});
        std::copy_n(m_fileContent.begin(), std::min(length, m_fileContent.size()), out);
        return true;
    }
    const Phase phase = m_phase;
    m_phase = Phase::Idle;
    if (phase == Phase::Status) {
        if (length != m_sectorSize)
            Violation("status read of " + std::to_string(length) + " bytes");
        std::fill_n(out, length, std::uint8_t{0});
        return true;
    }
    if (phase != Phase::Armed) {
        Violation("read without a command");
        return false;
    }
    std::fill_n(out, length, std::uint8_t{0});
    switch (m_armed.command) {
    case q71Identify: {
        if (length != m_sectorSize)
            Violation("identify answer read with " + std::to_string(length) + " bytes");
        const auto params = m_recorder->FlashParams();
        std::copy(params.begin(), params.end(), out);
        std::copy_n(m_identifyAnswer.begin(), std::min(length, m_identifyAnswer.size()), out);
        return true;
    }
    case q71ReceiveI2C:
        if (length != m_sectorSize)
            Violation("link answer read with " + std::to_string(length) + " bytes");
        if (m_pendingFrame)
            std::copy_n(m_pendingFrame->begin(), std::min<std::size_t>(m_armed.length, m_pendingFrame->size()), out);
        m_pendingFrame.reset();
        return true;
    case q71ReadPages:
        return ReadParts(m_armed, out, length);
    default:
        Violation("read after command " + std::to_string(m_armed.command));
        return false;
    }
}

bool SimMailboxDevice::ReadParts(const DrcbCommand& command, std::uint8_t* out, std::size_t length)
{
    const std::size_t bytes = std::size_t{command.count} * command.partSize;
    if (length != (bytes + m_sectorSize - 1) / m_sectorSize * m_sectorSize)
        Violation("read of " + std::to_string(length) + " bytes for " + std::to_string(command.count) + " parts of " +
                  std::to_string(command.partSize));
    if (bytes > length)
        return false;
    const auto& geometry = m_recorder->Geometry();
    for (std::uint32_t i = 0; i < command.count; ++i) {
        const std::uint64_t page = command.firstPage + std::uint64_t{i} * command.step;
        if (page >= geometry.TotalPages())
            return false;
        const auto raw = m_recorder->ReadPage(page);
        // Over the mailbox a part ends at the page's data area.
        std::uint8_t* part = out + std::size_t{i} * command.partSize;
        std::fill_n(part, command.partSize, std::uint8_t{0xFF});
        if (command.offset < geometry.pageSize)
            std::copy_n(raw.begin() + command.offset,
                        std::min<std::size_t>(command.partSize, geometry.pageSize - command.offset), part);
    }
    return true;
}

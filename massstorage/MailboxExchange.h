#pragma once

#include <cstddef>
#include <cstdint>

#include "massstorage/AlignedBuffer.h"
#include "massstorage/DrcbCommand.h"

namespace q71 {

// Each exchange moves at most this many bytes.
inline constexpr std::uint32_t kMaxExchangeBytes = 0x10000;

// What moves the mailbox's sectors: the open mailbox file for the device
// library, a pass-through command for a tool that talks to the disk itself.
// Every transfer is whole sectors at the mailbox's start, from and into an
// aligned buffer.
class TMailboxTransport {
public:
    virtual ~TMailboxTransport() = default;
    // True when all length bytes moved.
    virtual bool ReadSectors(void* buffer, std::size_t length) = 0;
    virtual bool WriteSectors(const void* data, std::size_t length) = 0;
};

// One mailbox: the steps of an exchange and the page operations cut into
// exchanges, over an aligned buffer of at least kMaxExchangeBytes, the
// disk's sector size and a transport. Holds no state of its own.
class TMailboxExchange {
public:
    TMailboxExchange(TAlignedBuffer& buffer, std::uint32_t sectorSize, TMailboxTransport& transport)
        : m_buffer(buffer), m_sectorSize(sectorSize), m_transport(transport)
    {
    }

    // Writes the command as one whole sector.
    bool SendCommand(const DrcbCommand& command);
    // Reads length bytes rounded up to whole sectors into the buffer; the
    // caller takes the first length bytes from Buffer().
    bool ReadReply(std::size_t length);
    // Writes length bytes (whole sectors) of data through the buffer.
    bool WriteData(const void* data, std::size_t length);
    std::uint8_t* Buffer() const { return m_buffer.Data(); }
    std::size_t WholeSectors(std::size_t length) const;

    // The page operations, each stopping at the first failed exchange: what
    // follows a failed chunk would land in the wrong place or go unnoticed.
    bool ReadPages(std::uint32_t pageSize, std::uint32_t firstPage, void* buffer, std::uint16_t pageCount);
    bool WritePages(std::uint32_t pageSize, std::uint32_t firstPage, const void* data, std::uint16_t pageCount);
    // partSize bytes at offset of each of count pages firstPage, firstPage +
    // step, ...; out receives partSize x count bytes, part after part.
    bool ReadPartsOfPages(std::uint32_t pageSize, std::uint32_t firstPage, std::uint16_t count, std::uint16_t offset,
                          std::uint16_t partSize, std::uint16_t step, void* out);
    bool BlockErase(std::uint32_t page);

private:
    bool ReadStatusSector() { return ReadReply(m_sectorSize); }

    TAlignedBuffer& m_buffer;
    std::uint32_t m_sectorSize;
    TMailboxTransport& m_transport;
};

}  // namespace q71

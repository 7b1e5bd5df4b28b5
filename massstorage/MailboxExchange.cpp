#include "massstorage/MailboxExchange.h"

#include <algorithm>
#include <cstring>

namespace q71 {

namespace {

// Items of itemSize bytes that fit one exchange (the count field is u16).
std::uint32_t ItemsPerExchange(std::uint32_t itemSize)
{
    return std::min<std::uint32_t>(kMaxExchangeBytes / itemSize, 0xFFFF);
}

DrcbCommand PageCommand(TQ71Command code, std::uint32_t firstPage, std::uint16_t partSize, std::uint16_t step,
                        std::uint16_t offset, std::uint32_t count)
{
    DrcbCommand command;
    command.command = code;
    command.firstPage = firstPage;
    command.partSize = partSize;
    command.step = step;
    command.offset = offset;
    command.count = static_cast<std::uint16_t>(count);
    return command;
}

}  // namespace

std::size_t TMailboxExchange::WholeSectors(std::size_t length) const
{
    return (length + m_sectorSize - 1) / m_sectorSize * m_sectorSize;
}

bool TMailboxExchange::SendCommand(const DrcbCommand& command)
{
    std::memset(m_buffer.Data(), 0, m_sectorSize);
    command.Serialize(m_buffer.Data());
    return m_transport.WriteSectors(m_buffer.Data(), m_sectorSize);
}

bool TMailboxExchange::ReadReply(std::size_t length)
{
    const std::size_t whole = WholeSectors(length);
    return whole <= m_buffer.Size() && m_transport.ReadSectors(m_buffer.Data(), whole);
}

bool TMailboxExchange::WriteData(const void* data, std::size_t length)
{
    if (length > m_buffer.Size() || WholeSectors(length) != length)
        return false;
    std::memcpy(m_buffer.Data(), data, length);
    return m_transport.WriteSectors(m_buffer.Data(), length);
}

bool TMailboxExchange::ReadPages(std::uint32_t pageSize, std::uint32_t firstPage, void* buffer,
                                 std::uint16_t pageCount)
{
    const std::uint32_t perExchange = ItemsPerExchange(pageSize);
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::uint32_t page = firstPage;
    for (std::uint32_t left = pageCount; left > 0;) {
        const std::uint32_t pages = std::min(left, perExchange);
        const std::size_t bytes = std::size_t{pages} * pageSize;
        if (!SendCommand(PageCommand(q71ReadPages, page, static_cast<std::uint16_t>(pageSize), 1, 0, pages)) ||
            !ReadReply(bytes))
            return false;
        std::memcpy(out, Buffer(), bytes);
        out += bytes;
        page += pages;
        left -= pages;
    }
    return true;
}

bool TMailboxExchange::WritePages(std::uint32_t pageSize, std::uint32_t firstPage, const void* data,
                                  std::uint16_t pageCount)
{
    const std::uint32_t perExchange = ItemsPerExchange(pageSize);
    const auto* in = static_cast<const std::uint8_t*>(data);
    std::uint32_t page = firstPage;
    for (std::uint32_t left = pageCount; left > 0;) {
        const std::uint32_t pages = std::min(left, perExchange);
        const std::size_t bytes = std::size_t{pages} * pageSize;
        if (!SendCommand(PageCommand(q71WritePages, page, static_cast<std::uint16_t>(pageSize), 1, 0, pages)) ||
            !WriteData(in, bytes) || !ReadStatusSector())
            return false;
        in += bytes;
        page += pages;
        left -= pages;
    }
    return true;
}

bool TMailboxExchange::ReadPartsOfPages(std::uint32_t pageSize, std::uint32_t firstPage, std::uint16_t count,
                                        std::uint16_t offset, std::uint16_t partSize, std::uint16_t step, void* out)
{
    const std::uint64_t wanted = std::uint64_t{partSize} * count;
    if (wanted == 0)
        return true;
    // The device is asked for as many parts as fill whole pages; the
    // firmware expects that, and the extra parts are dropped.
    const std::uint64_t total = (wanted + pageSize - 1) / pageSize * pageSize;
    const std::uint32_t perExchange = ItemsPerExchange(partSize);
    auto* dest = static_cast<std::uint8_t*>(out);
    std::uint64_t copied = 0;
    std::uint32_t page = firstPage;
    for (std::uint64_t left = total / partSize; left > 0;) {
        const auto parts = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, perExchange));
        // Parts are packed: the next exchange's first part follows this
        // exchange's last one, whatever the sector padding after it.
        const std::size_t bytes = std::size_t{parts} * partSize;
        if (!SendCommand(PageCommand(q71ReadPages, page, partSize, step, offset, parts)) || !ReadReply(bytes))
            return false;
        const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, wanted - copied));
        std::memcpy(dest + copied, Buffer(), take);
        copied += take;
        page += parts * std::uint32_t{step};
        left -= parts;
    }
    return true;
}

bool TMailboxExchange::BlockErase(std::uint32_t page)
{
    DrcbCommand command;
    command.command = q71EraseBlock;
    command.firstPage = page;
    return SendCommand(command) && ReadStatusSector();
}

}  // namespace q71

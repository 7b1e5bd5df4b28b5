#include <algorithm>
#include <cstring>

#include "massstorage/Mailbox.h"
#include "massstorage/MailboxExchange.h"
#include "massstorage/MailboxState.h"

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

bool ReadStatusSector()
{
    return ReadReply(MailboxState().sectorSize);
}

}  // namespace

// Every page operation stops at the first failed exchange: what follows a
// failed chunk would land in the wrong place or go unnoticed.

bool ReadPages(std::uint32_t firstPage, void* buffer, std::uint16_t pageCount)
{
    const auto& state = MailboxState();
    if (!state.Connected())
        return false;
    const std::uint32_t pageSize = state.params.pageSize;
    const std::uint32_t perExchange = ItemsPerExchange(pageSize);
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::uint32_t page = firstPage;
    for (std::uint32_t left = pageCount; left > 0;) {
        const std::uint32_t pages = std::min(left, perExchange);
        const std::size_t bytes = std::size_t{pages} * pageSize;
        if (!SendCommand(PageCommand(q71ReadPages, page, static_cast<std::uint16_t>(pageSize), 1, 0, pages)) ||
            !ReadReply(bytes))
            return false;
        std::memcpy(out, ExchangeBuffer(), bytes);
        out += bytes;
        page += pages;
        left -= pages;
    }
    return true;
}

bool WritePages(std::uint32_t firstPage, const void* data, std::uint16_t pageCount)
{
    const auto& state = MailboxState();
    if (!state.Connected())
        return false;
    const std::uint32_t pageSize = state.params.pageSize;
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

bool ReadPartsOfPages(std::uint32_t firstPage, std::uint16_t count, std::uint16_t offset, std::uint16_t partSize,
                      std::uint16_t step, void* out)
{
    const auto& state = MailboxState();
    if (!state.Connected())
        return false;
    const std::uint64_t wanted = std::uint64_t{partSize} * count;
    if (wanted == 0)
        return true;
    // The device is asked for as many parts as fill whole pages; the
    // firmware expects that, and the extra parts are dropped.
    const std::uint64_t pageSize = state.params.pageSize;
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
        std::memcpy(dest + copied, ExchangeBuffer(), take);
        copied += take;
        page += parts * std::uint32_t{step};
        left -= parts;
    }
    return true;
}

bool BlockErase(std::uint32_t page)
{
    if (!MailboxState().Connected())
        return false;
    DrcbCommand command;
    command.command = q71EraseBlock;
    command.firstPage = page;
    return SendCommand(command) && ReadStatusSector();
}

}  // namespace q71

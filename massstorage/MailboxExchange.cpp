#include "massstorage/MailboxExchange.h"

#include <cstring>

#include "massstorage/MailboxState.h"

namespace q71 {

std::uint8_t* ExchangeBuffer()
{
    return MailboxState().buffer.Data();
}

std::size_t WholeSectors(std::size_t length)
{
    const std::size_t sector = MailboxState().sectorSize;
    return (length + sector - 1) / sector * sector;
}

bool SendCommand(const DrcbCommand& command)
{
    auto& state = MailboxState();
    std::memset(state.buffer.Data(), 0, state.sectorSize);
    command.Serialize(state.buffer.Data());
    const auto done = MailboxFileIo().WriteAt(state.handle, state.buffer.Data(), state.sectorSize, 0);
    return done == static_cast<std::int64_t>(state.sectorSize);
}

bool ReadReply(std::size_t length)
{
    auto& state = MailboxState();
    const std::size_t whole = WholeSectors(length);
    if (whole > state.buffer.Size())
        return false;
    const auto done = MailboxFileIo().ReadAt(state.handle, state.buffer.Data(), whole, 0);
    return done == static_cast<std::int64_t>(whole);
}

bool WriteData(const void* data, std::size_t length)
{
    auto& state = MailboxState();
    if (length > state.buffer.Size() || WholeSectors(length) != length)
        return false;
    std::memcpy(state.buffer.Data(), data, length);
    const auto done = MailboxFileIo().WriteAt(state.handle, state.buffer.Data(), length, 0);
    return done == static_cast<std::int64_t>(length);
}

}  // namespace q71

#include <algorithm>
#include <cstring>

#include "massstorage/Mailbox.h"
#include "massstorage/MailboxState.h"

namespace q71 {

namespace {

// Sector sizes an exchange buffer of 64 KiB can hold whole: powers of two.
bool UsableSectorSize(std::uint32_t size)
{
    return size > kPlainDiskSectorSize && size <= kMaxExchangeBytes && (size & (size - 1)) == 0;
}

// An answer that cannot be a recorder's: the echo of our own command (a
// plain disk returns what was written), or a geometry the page functions
// cannot work with.
bool PlausibleIdentify(const std::uint8_t* answer, std::uint32_t sectorSize)
{
    if (HasDrcbMagic(answer, sectorSize))
        return false;
    const auto params = FlashParams::Parse(answer);
    return params.chips != 0 && params.pagesPerBlock != 0 && params.pageSize != 0 && params.pageSize % sectorSize == 0;
}

void CloseMailbox()
{
    auto& state = MailboxState();
    if (state.handle >= 0)
        MailboxFileIo().Close(state.handle);
    state.handle = -1;
    state.path.clear();
}

// Identify on the just opened candidate; keeps the answer on success.
bool Identify()
{
    auto& state = MailboxState();
    DrcbCommand command;
    command.command = q71Identify;
    auto exchange = LibraryExchange();
    if (!exchange.SendCommand(command) || !exchange.ReadReply(state.sectorSize))
        return false;
    if (!PlausibleIdentify(exchange.Buffer(), state.sectorSize))
        return false;
    state.params = FlashParams::Parse(exchange.Buffer());
    return true;
}

bool TryCandidate(const std::string& path)
{
    auto& io = MailboxFileIo();
    const int handle = io.Open(path);
    if (handle < 0)
        return false;
    const std::uint32_t sectorSize = io.SectorSize(handle);
    if (!UsableSectorSize(sectorSize)) {
        io.Close(handle);
        return false;
    }
    auto& state = MailboxState();
    const std::uint32_t previousSectorSize = state.sectorSize;
    const std::size_t alignment = std::max<std::size_t>(sectorSize, 4096);
    if (state.buffer.Size() != kMaxExchangeBytes || reinterpret_cast<std::uintptr_t>(state.buffer.Data()) % alignment)
        state.buffer = TAlignedBuffer(kMaxExchangeBytes, alignment);
    state.handle = handle;
    state.path = path;
    state.sectorSize = sectorSize;
    if (Identify())
        return true;
    CloseMailbox();
    state.sectorSize = previousSectorSize;
    return false;
}

}  // namespace

bool IsConnected()
{
    auto& state = MailboxState();
    if (state.handle >= 0) {
        if (MailboxFileIo().IsAlive(state.handle, state.path))
            return true;
        CloseMailbox();
        return false;
    }
    // A candidate whose identify fails or is not a recorder's answer does
    // not qualify; the search goes on.
    for (const auto& path : MailboxFileIo().CandidatePaths())
        if (TryCandidate(path))
            return true;
    return false;
}

void GetFlashParams(void* params)
{
    MailboxState().params.Serialize(static_cast<std::uint8_t*>(params));
}

}  // namespace q71

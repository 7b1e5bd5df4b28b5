#include "massstorage/MailboxState.h"

#include "massstorage/LinuxMailboxFileIo.h"

namespace q71 {

namespace {

TMailboxFileIo* g_fileIo = nullptr;

TMailboxFileIo& LinuxFileIo()
{
    static TLinuxMailboxFileIo io;
    return io;
}

// The open mailbox file at offset 0, through the file seam.
class TStateFileTransport final : public TMailboxTransport {
public:
    bool ReadSectors(void* buffer, std::size_t length) override
    {
        return MailboxFileIo().ReadAt(MailboxState().handle, buffer, length, 0) == static_cast<std::int64_t>(length);
    }
    bool WriteSectors(const void* data, std::size_t length) override
    {
        return MailboxFileIo().WriteAt(MailboxState().handle, data, length, 0) == static_cast<std::int64_t>(length);
    }
};

}  // namespace

TMailboxState& MailboxState()
{
    static TMailboxState state;
    return state;
}

TMailboxFileIo& MailboxFileIo()
{
    return g_fileIo ? *g_fileIo : LinuxFileIo();
}

void SetMailboxFileIo(TMailboxFileIo* io)
{
    g_fileIo = io;
}

TMailboxExchange LibraryExchange()
{
    static TStateFileTransport transport;
    auto& state = MailboxState();
    return TMailboxExchange(state.buffer, state.sectorSize, transport);
}

void ResetMailbox()
{
    auto& state = MailboxState();
    if (state.handle >= 0)
        MailboxFileIo().Close(state.handle);
    state = TMailboxState{};
}

}  // namespace q71

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

void ResetMailbox()
{
    auto& state = MailboxState();
    if (state.handle >= 0)
        MailboxFileIo().Close(state.handle);
    state = TMailboxState{};
}

}  // namespace q71

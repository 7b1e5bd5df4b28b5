#include <cstring>

#include "massstorage/Mailbox.h"
#include "massstorage/MailboxState.h"

namespace q71 {

bool SendI2C(const void* bytes, std::uint8_t length)
{
    if (!MailboxState().Connected())
        return false;
    DrcbCommand command;
    command.command = q71SendI2C;
    command.length = length;
    command.payload = static_cast<const std::uint8_t*>(bytes);
    auto exchange = LibraryExchange();
    return exchange.SendCommand(command) && exchange.ReadReply(MailboxState().sectorSize);
}

bool ReceiveI2C(void* buffer, std::uint8_t length)
{
    if (!MailboxState().Connected())
        return false;
    DrcbCommand command;
    command.command = q71ReceiveI2C;
    command.length = length;
    auto exchange = LibraryExchange();
    if (!exchange.SendCommand(command) || !exchange.ReadReply(MailboxState().sectorSize))
        return false;
    if (length > 0)  // a caller with nothing to receive may pass no buffer
        std::memcpy(buffer, exchange.Buffer(), length);
    return true;
}

}  // namespace q71

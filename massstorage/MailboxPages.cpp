#include "massstorage/Mailbox.h"
#include "massstorage/MailboxExchange.h"
#include "massstorage/MailboxState.h"

namespace q71 {

// The library's page operations on its one mailbox.

bool ReadPages(std::uint32_t firstPage, void* buffer, std::uint16_t pageCount)
{
    const auto& state = MailboxState();
    return state.Connected() && LibraryExchange().ReadPages(state.params.pageSize, firstPage, buffer, pageCount);
}

bool WritePages(std::uint32_t firstPage, const void* data, std::uint16_t pageCount)
{
    const auto& state = MailboxState();
    return state.Connected() && LibraryExchange().WritePages(state.params.pageSize, firstPage, data, pageCount);
}

bool ReadPartsOfPages(std::uint32_t firstPage, std::uint16_t count, std::uint16_t offset, std::uint16_t partSize,
                      std::uint16_t step, void* out)
{
    const auto& state = MailboxState();
    return state.Connected() &&
           LibraryExchange().ReadPartsOfPages(state.params.pageSize, firstPage, count, offset, partSize, step, out);
}

bool BlockErase(std::uint32_t page)
{
    return MailboxState().Connected() && LibraryExchange().BlockErase(page);
}

}  // namespace q71

#include "massstorage/Q71_API.h"

#include "massstorage/Mailbox.h"

namespace {

unsigned char Result(bool ok)
{
    return ok ? 1 : 0;
}

}  // namespace

unsigned char Q71_IsConnected(void)
{
    return Result(q71::IsConnected());
}

void Q71_GetFlashParams(void* params)
{
    q71::GetFlashParams(params);
}

unsigned char Q71_ReadPages(uint32_t firstPage, void* buffer, uint16_t pageCount)
{
    return Result(q71::ReadPages(firstPage, buffer, pageCount));
}

unsigned char Q71_WritePages(uint32_t firstPage, const void* data, uint16_t pageCount)
{
    return Result(q71::WritePages(firstPage, data, pageCount));
}

unsigned char Q71_ReadPartsOfPages(uint32_t firstPage, uint16_t count, uint16_t offset, uint16_t partSize,
                                   uint16_t step, void* out)
{
    return Result(q71::ReadPartsOfPages(firstPage, count, offset, partSize, step, out));
}

unsigned char Q71_BlockErase(uint32_t page)
{
    return Result(q71::BlockErase(page));
}

unsigned char Q71_SendI2C(const void* bytes, uint8_t length)
{
    return Result(q71::SendI2C(bytes, length));
}

unsigned char Q71_ReceiveI2C(void* buffer, uint8_t length)
{
    return Result(q71::ReceiveI2C(buffer, length));
}

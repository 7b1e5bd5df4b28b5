#include "core/links/usb/Q71Library.h"

#include "massstorage/Q71_API.h"

namespace {

constexpr TQ71Library kExports{Q71_IsConnected, Q71_GetFlashParams, Q71_WritePages, Q71_ReadPartsOfPages,
                               Q71_BlockErase,  Q71_SendI2C,        Q71_ReceiveI2C};

TQ71Library g_library = kExports;

}  // namespace

const TQ71Library& Q71Library()
{
    return g_library;
}

void SetQ71Library(const TQ71Library& library)
{
    g_library = library;
}

void ResetQ71Library()
{
    g_library = kExports;
}

#pragma once

// The exports of libQ71_API.so. Every function but Q71_GetFlashParams
// returns 1 for success and 0 for failure. Q71_IsConnected comes first; the
// others need the connection it leaves.

#include <stdint.h>

#if defined(Q71_API_BUILD)
#define Q71_EXPORT __attribute__((visibility("default")))
#else
#define Q71_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

Q71_EXPORT unsigned char Q71_IsConnected(void);
// Copies the 12-byte flash parameter block of the last connect.
Q71_EXPORT void Q71_GetFlashParams(void* params);
Q71_EXPORT unsigned char Q71_ReadPages(uint32_t firstPage, void* buffer, uint16_t pageCount);
Q71_EXPORT unsigned char Q71_WritePages(uint32_t firstPage, const void* data, uint16_t pageCount);
Q71_EXPORT unsigned char Q71_ReadPartsOfPages(uint32_t firstPage, uint16_t count, uint16_t offset, uint16_t partSize,
                                              uint16_t step, void* out);
// Erases the block that begins with that page.
Q71_EXPORT unsigned char Q71_BlockErase(uint32_t page);
Q71_EXPORT unsigned char Q71_SendI2C(const void* bytes, uint8_t length);
Q71_EXPORT unsigned char Q71_ReceiveI2C(void* buffer, uint8_t length);

#ifdef __cplusplus
}
#endif

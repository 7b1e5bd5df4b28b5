#pragma once

#include <cstdint>

// The functions of the device library libQ71_API.so that the device-library
// link calls. They are reached through this table so that tests can bind
// them to the library's code running in-process over a simulated device;
// by default the table holds the library's exports.
struct TQ71Library {
    unsigned char (*IsConnected)();
    void (*GetFlashParams)(void* params);
    unsigned char (*WritePages)(std::uint32_t firstPage, const void* data, std::uint16_t pageCount);
    unsigned char (*ReadPartsOfPages)(std::uint32_t firstPage, std::uint16_t count, std::uint16_t offset,
                                      std::uint16_t partSize, std::uint16_t step, void* out);
    unsigned char (*BlockErase)(std::uint32_t page);
    unsigned char (*SendI2C)(const void* bytes, std::uint8_t length);
    unsigned char (*ReceiveI2C)(void* buffer, std::uint8_t length);
};

const TQ71Library& Q71Library();
void SetQ71Library(const TQ71Library& library);
// Back to the exports of libQ71_API.so.
void ResetQ71Library();

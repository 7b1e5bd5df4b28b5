#pragma once

#include <cstdint>

#include "fmttool/ScsiCdb.h"
#include "massstorage/Q71Protocol.h"

namespace passthrough {

// The recorder's own command block: operation code 0xC8, the mailbox command
// number in byte 1, big-endian fields. Read parts of pages orders its fields
// count, size, step, offset (the mailbox sector has size, step, offset,
// count).
struct Q71VendorCdb {
    static constexpr std::uint8_t kOperationCode = 0xC8;

    TQ71Command command = q71Identify;
    std::uint32_t firstPage = 0;  // write pages, read parts of pages
    std::uint16_t count = 0;      // pages or parts
    std::uint16_t partSize = 0;
    std::uint16_t step = 0;
    std::uint16_t offset = 0;
    std::uint8_t length = 0;  // send, receive

    static Q71VendorCdb Identify() { return {}; }
    static Q71VendorCdb WritePages(std::uint32_t firstPage, std::uint16_t count);
    static Q71VendorCdb Send(std::uint8_t length);
    static Q71VendorCdb Receive(std::uint8_t length);
    static Q71VendorCdb ReadParts(std::uint32_t firstPage, std::uint16_t count, std::uint16_t partSize,
                                  std::uint16_t step, std::uint16_t offset);

    TCdb Bytes() const;
};

}  // namespace passthrough

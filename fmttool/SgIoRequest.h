#pragma once

#include <scsi/sg.h>

#include <cstddef>
#include <cstdint>

#include "fmttool/ScsiCdb.h"

namespace passthrough {

// Every command gets two seconds before the host gives up on it.
inline constexpr unsigned kCommandTimeoutMs = 2000;
inline constexpr std::size_t kSenseLength = 24;

// One command and its data phase; data is the caller's buffer.
struct TScsiRequest {
    TCdb cdb{};
    TDataDirection direction = TDataDirection::None;
    void* data = nullptr;
    std::uint32_t length = 0;
};

// The SG_IO header for a request, with its command block, data and the
// kSenseLength bytes at sense; it points into both, so they must outlive it.
sg_io_hdr BuildSgIoHeader(TScsiRequest& request, std::uint8_t* sense);

}  // namespace passthrough

#pragma once

#include <cstdint>
#include <string>

#include "massstorage/AlignedBuffer.h"
#include "massstorage/MailboxExchange.h"
#include "massstorage/MailboxFileIo.h"
#include "massstorage/Q71Protocol.h"

namespace q71 {

// Sectors of this size or smaller do not qualify a disk as a recorder.
inline constexpr std::uint32_t kPlainDiskSectorSize = 512;

// The library's one copy of its state, as the exports share it.
struct TMailboxState {
    int handle = -1;  // the open mailbox file, -1 when not connected
    std::string path;
    std::uint32_t sectorSize = 0;  // of the disk the file was found on
    FlashParams params;            // the last identify answer, zero before
    TAlignedBuffer buffer;         // one exchange, sector aligned

    bool Connected() const { return handle >= 0 && params.pageSize != 0 && sectorSize != 0; }
};

TMailboxState& MailboxState();

// The file seam; the Linux implementation unless a test set another.
TMailboxFileIo& MailboxFileIo();
void SetMailboxFileIo(TMailboxFileIo* io);  // null: back to Linux

// The exchange on the state's open mailbox file, buffer and sector size.
TMailboxExchange LibraryExchange();

// Closes an open file through the current seam and forgets all state.
void ResetMailbox();

}  // namespace q71

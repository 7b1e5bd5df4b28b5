#include "core/flash/BlockHeader.h"

#include <algorithm>

#include "core/flash/FlashLayout.h"
#include "core/protocol/Crc16.h"
#include "core/protocol/Majority.h"
#include "core/protocol/RecorderCommands.h"

TBlockHeader TBlockHeader::Erased()
{
    TBlockHeader header;
    header.Bytes.fill(0xFF);
    return header;
}

TBlockHeader TBlockHeader::Vote(const std::uint8_t* copies)
{
    TBlockHeader header;
    MajorityOf3(copies, header.Bytes.data(), kSize);
    return header;
}

std::uint32_t TBlockHeader::Time() const
{
    return GetU32(Bytes.data() + 2);
}

std::uint32_t TBlockHeader::DriveFileSize() const
{
    return GetU32(Bytes.data() + 6);
}

void TBlockHeader::SetTime(std::uint32_t seconds)
{
    PutU32(Bytes.data() + 2, seconds);
}

void TBlockHeader::SetDriveFileSize(std::uint32_t size)
{
    PutU32(Bytes.data() + 6, size);
}

std::uint16_t TBlockHeader::ComputeCrc() const
{
    return Crc16Update(Bytes.data(), 18, kCrcInitial);
}

bool TBlockHeader::IsAllErased() const
{
    return std::all_of(Bytes.begin(), Bytes.end(), [](std::uint8_t b) { return b == 0xFF; });
}

bool TBlockHeader::IsFree() const
{
    return Owner() == flash_layout::kFreeOwner && (IsCrcValid() || IsAllErased());
}

bool TBlockHeader::IsOwned() const
{
    return Owner() != flash_layout::kFreeOwner && IsCrcValid();
}

void TBlockHeader::WriteCopies(std::uint8_t* page) const
{
    WriteThreeCopies(Bytes.data(), page, kSize);
}

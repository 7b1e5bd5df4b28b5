#pragma once

#include <cstddef>
#include <cstdint>

// Where the block header's owner field and the page status word sit in the
// recorder's flash pages.
namespace flash_layout {

// The owner field: the first u16 of a block's first page.
constexpr std::size_t kOwnerOffset = 0;
constexpr std::uint16_t kFreeOwner = 0xFFFF;       // erased block
constexpr std::uint16_t kDriveFileOwner = 0x8000;  // and above: flash-drive file owner & 0x7FFF

constexpr bool IsRecordingOwner(std::uint16_t owner)
{
    return owner < kDriveFileOwner;
}
constexpr bool IsDriveFileOwner(std::uint16_t owner)
{
    return owner >= kDriveFileOwner && owner != kFreeOwner;
}

// The page status word: the last two bytes of a page, as far as the page
// commands address it (the page size the recorder reports).
constexpr std::size_t kPageStatusSize = 2;
constexpr std::uint8_t kSoundPageMark = 0x55;

constexpr std::size_t PageStatusOffset(std::size_t pageSize)
{
    return pageSize - kPageStatusSize;
}
// A break page has at least one status byte of 0xFF (unwritten pages too).
constexpr bool IsBreakPage(std::uint8_t first, std::uint8_t second)
{
    return first == 0xFF || second == 0xFF;
}

}  // namespace flash_layout

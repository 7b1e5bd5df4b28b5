#pragma once

#include <QString>
#include <cstdint>

#include "core/links/image/PendingReply.h"

// The link of connection type 5 ("USB 2.0"): a recorder that shows up as a
// mass-storage disk, reached through the device library. Several physical
// flash blocks form one recorder block; the flash commands run on the
// library's page functions, every other command travels as a recorder frame
// over the library's byte channel.
struct TQ71LinkState {
    // Physical blocks per recorder block, 1..255.
    std::uint8_t BlockGroupFactor = 1;
    // The five flash-ID bytes in two-digit hexadecimal.
    QString DeviceText;
    PendingReply Pending;
};

TQ71LinkState& Q71LinkState();
void ResetQ71Link();

// The LinkProbe of type 5: connects, takes the geometry into LinkGeometry
// and finds the block grouping.
bool Q71Probe();
// The LinkTransaction of type 5; the time-out is not used.
void Q71Execute(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                std::uint32_t replyLength, std::uint32_t timeoutMs);

// The grouping for a flash of totalBlocks physical blocks: totalBlocks /
// the recorder's block count, or totalBlocks / 2048 (at least 1) without an
// answer; 0 when no factor of 1..255 results.
std::uint8_t BlockGroupFactorFor(std::uint32_t totalBlocks, const std::uint16_t* recorderBlocks);

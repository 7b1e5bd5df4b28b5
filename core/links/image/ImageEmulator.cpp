#include "core/links/image/ImageEmulator.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

#include "core/links/LinkGeometry.h"
#include "core/links/image/ImageFile.h"
#include "core/links/image/ImageHeader.h"
#include "core/links/image/PendingReply.h"
#include "core/protocol/LinkRequest.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/RecorderFrame.h"

namespace {

PendingReply ImageReply;

constexpr std::uint32_t kClockReading = 0;
constexpr std::uint16_t kSupplyVoltage = 3050;
constexpr std::uint32_t kProductionExtra = 11223344;
constexpr std::size_t kFirmwareReplySize = 13;
constexpr std::uint64_t kLargestReply = 256u << 20;

using Bytes = std::span<const std::uint8_t>;

std::uint32_t FirstImageBlock()
{
    return GetU32(LinkGeometry.header.data() + image_header::kFirstImageBlock);
}

bool HasDataStart()
{
    return LinkGeometry.dataStart != TLinkGeometry::kNoDataStart;
}

// File offset of a block the image holds.
std::optional<std::uint64_t> BlockOffset(std::uint64_t block)
{
    const TLinkGeometry& g = LinkGeometry;
    if (!HasDataStart() || block < FirstImageBlock() || block >= g.TotalBlocks())
        return std::nullopt;
    return g.dataStart + (block - FirstImageBlock()) * g.blockStride;
}

std::uint64_t FirstImagePage()
{
    return static_cast<std::uint64_t>(FirstImageBlock()) * LinkGeometry.pagesPerBlock;
}

// File offset of a page the image holds.
std::optional<std::uint64_t> PageOffset(std::uint64_t page)
{
    const TLinkGeometry& g = LinkGeometry;
    if (!HasDataStart() || page < FirstImagePage() ||
        page >= static_cast<std::uint64_t>(g.TotalBlocks()) * g.pagesPerBlock)
        return std::nullopt;
    return g.dataStart + (page - FirstImagePage()) * g.pageStride;
}

void ReplyU16(std::uint16_t value)
{
    PutU16(ImageReply.Make(2).data(), value);
}

void ReplyU32(std::uint32_t value)
{
    PutU32(ImageReply.Make(4).data(), value);
}

bool WriteBlock(const TWriteBlock& write)
{
    const auto at = BlockOffset(write.block);
    return at && WriteImageAt(*at, write.data.data(), write.data.size());
}

bool WritePage(const TWritePage& write)
{
    const auto at = PageOffset(write.page);
    if (!at || !WriteImageAt(*at, write.data.data(), write.data.size()))
        return false;
    ImageReply.Set(write.address);
    return true;
}

bool EraseBlock(const TEraseBlock& erase)
{
    const std::uint16_t block = erase.block;
    if (block >= FirstImageBlock()) {
        const auto at = BlockOffset(block);
        const std::vector<std::uint8_t> erased(LinkGeometry.blockStride, 0xFF);
        if (!at || !WriteImageAt(*at, erased.data(), erased.size()))
            return false;
    }
    ReplyU16(block);
    return true;
}

// Count bytes from Offset of each page; runs that lie back to back in the
// file are read at once. Pages below the first image block read 0xFF, and
// so does whatever lies beyond the end of the file.
bool ReadPartsOfPages(const PartsOfPagesRequest& parts)
{
    if (!HasDataStart())
        return false;
    const std::uint64_t total = static_cast<std::uint64_t>(parts.count) * parts.cycles;
    if (total > kLargestReply)
        return false;
    const std::span<std::uint8_t> out = ImageReply.Make(static_cast<std::size_t>(total));
    const TLinkGeometry& g = LinkGeometry;
    const std::uint64_t firstImagePage = FirstImagePage();

    std::size_t runStart = 0;   // reply offset of the run
    std::uint64_t runFile = 0;  // file offset of the run
    std::size_t runLength = 0;
    auto flush = [&] {
        const std::size_t got = runLength ? ReadImageAt(runFile, out.data() + runStart, runLength) : 0;
        std::fill(out.begin() + static_cast<std::ptrdiff_t>(runStart + got),
                  out.begin() + static_cast<std::ptrdiff_t>(runStart + runLength), std::uint8_t{0xFF});
        runLength = 0;
    };
    for (std::uint32_t i = 0; i < parts.cycles; ++i) {
        const std::size_t into = static_cast<std::size_t>(i) * parts.count;
        const std::uint64_t page = parts.pageAddr + static_cast<std::uint64_t>(i) * parts.addrInc;
        if (page < firstImagePage) {
            flush();
            std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(into), parts.count, std::uint8_t{0xFF});
            continue;
        }
        const std::uint64_t file = g.dataStart + (page - firstImagePage) * g.pageStride + parts.offset;
        if (runLength > 0 && file != runFile + runLength)
            flush();
        if (runLength == 0) {
            runStart = into;
            runFile = file;
        }
        runLength += parts.count;
    }
    flush();
    return true;
}

// The frame of command 57 goes into the header in memory; byte 4 is then
// the current profile.
bool SetCurrentProfile(Bytes request)
{
    if (frame::FrameSize(request.size()) > image_header::kReservedEnd + 1)
        return false;
    BuildRecorderFrame(LinkGeometry.header.data() + image_header::kCommand57Frame, cmdSetCurrentProfile, request.data(),
                       request.size());
    ImageReply.Set(request.first(1));
    return true;
}

bool CheckPassword(Bytes request)
{
    const std::uint8_t* stored = LinkGeometry.header.data() + image_header::kPassword;
    const bool none =
        std::all_of(stored, stored + image_header::kPasswordSize, [](std::uint8_t b) { return b == 0xFF; });
    std::uint8_t answer = 0x55;
    if (!none)
        answer = std::equal(stored, stored + image_header::kPasswordSize, request.data()) ? 0xFF : 0;
    ImageReply.Set(Bytes(&answer, 1));
    return true;
}

bool ClearPassword()
{
    std::fill_n(LinkGeometry.header.begin() + image_header::kPassword, image_header::kPasswordSize, std::uint8_t{0xFF});
    return WriteImageHeader();
}

void FirmwareVersion()
{
    const auto& h = LinkGeometry.header;
    const std::span<std::uint8_t> out = ImageReply.Make(kFirmwareReplySize);
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    PutU16(out.data(),
           static_cast<std::uint16_t>(h[image_header::kFirmwareMajor] << 8 | h[image_header::kFirmwareMinor]));
}

void ProductionParams()
{
    const std::span<std::uint8_t> out = ImageReply.Make(8);
    PutU32(out.data(), GetU32(LinkGeometry.header.data() + image_header::kSerialNumber));
    PutU32(out.data() + 4, kProductionExtra);
}

void FlashParams()
{
    const TLinkGeometry& g = LinkGeometry;
    const std::span<std::uint8_t> out = ImageReply.Make(7);
    out[0] = g.chipCount;
    PutU16(out.data() + 1, static_cast<std::uint16_t>(g.pagesPerBlock));
    PutU16(out.data() + 3, static_cast<std::uint16_t>(g.blocksPerChip));
    PutU16(out.data() + 5, g.pageStride);
}

// Commands the image has nothing for are answered without a reply.
bool OtherCommand(std::uint8_t code, Bytes request)
{
    switch (code) {
    case cmdGetRtc:
        ReplyU32(kClockReading);
        return true;
    case cmdSetRtc:
        // Nothing keeps the clock; the request is answered as a recorder would.
        ImageReply.Set(request);
        return true;
    case cmdGetVolt:
        ReplyU16(kSupplyVoltage);
        return true;
    case cmdGetFwVer:
        FirmwareVersion();
        return true;
    case cmdGetProdParam:
        ProductionParams();
        return true;
    case cmdGetFlashParam:
        FlashParams();
        return true;
    case cmdSetCurrentProfile:
        return SetCurrentProfile(request);
    case cmdCheckPassword:
        return CheckPassword(request);
    case cmdGetFirstRecBlock:
        ReplyU16(GetU16(LinkGeometry.header.data() + image_header::kFirstDataBlock));
        return true;
    case cmdSetDefNoFlashErase:
        return ClearPassword();
    default:
        return true;
    }
}

class TImageServer final : public TLinkRequestServer {
protected:
    PayloadGeometry RequestGeometry() const override { return {LinkGeometry.pageStride, LinkGeometry.pagesPerBlock}; }
    bool ReadPartsOfPages(const PartsOfPagesRequest& parts) override { return ::ReadPartsOfPages(parts); }
    bool WriteBlock(const TWriteBlock& write) override { return ::WriteBlock(write); }
    bool BeginWritePage(const TBeginWritePage& begin) override
    {
        ImageReply.Set(begin.request);
        return true;
    }
    bool WritePage(const TWritePage& write) override { return ::WritePage(write); }
    bool EraseBlock(const TEraseBlock& erase) override { return ::EraseBlock(erase); }
    bool OtherCommand(const TOtherCommand& command) override { return ::OtherCommand(command.code, command.payload); }
};

}  // namespace

bool ImageEmulate(std::uint8_t code, const void* request, std::uint32_t requestLength)
{
    ImageReply.Clear();
    ImageSession session;
    if (!session.IsOpen())
        return false;
    const Bytes bytes(static_cast<const std::uint8_t*>(request), request ? requestLength : 0);
    TImageServer server;
    return server.Serve(code, bytes);
}

void ImageExecute(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                  std::uint32_t replyLength, std::uint32_t /*timeoutMs*/)
{
    bool ok = false;
    try {
        ok = ImageEmulate(code, request, requestLength);
        if (ok && reply && replyLength)
            ok = ImageReply.Fetch(reply, replyLength);
    } catch (const TERecXchange&) {
        ok = false;
    }
    if (!ok)
        ThrowIoError(code);
}

void ResetImageEmulator()
{
    ImageReply.Clear();
    CloseImage();
}

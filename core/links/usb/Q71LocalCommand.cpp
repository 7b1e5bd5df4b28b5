#include "core/links/usb/Q71LocalCommand.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "core/links/LinkGeometry.h"
#include "core/links/usb/Q71Library.h"
#include "core/links/usb/Q71Link.h"
#include "core/protocol/RecorderCommands.h"

namespace {

// Block writes go to the library in runs of at most this many pages.
constexpr std::uint32_t kMaxPagesPerWrite = 128;

struct Grouping {
    std::uint32_t pagesPerBlock;  // P, physical
    std::uint32_t factor;         // G
    std::uint32_t pageSize;       // Z

    std::uint64_t PagesPerRecorderBlock() const { return std::uint64_t{pagesPerBlock} * factor; }
};

Grouping CurrentGrouping()
{
    return {LinkGeometry.pagesPerBlock, Q71LinkState().BlockGroupFactor, LinkGeometry.pageSize};
}

bool FitsU32(std::uint64_t value)
{
    return value <= 0xFFFFFFFFu;
}

void Reply(std::span<const std::uint8_t> bytes)
{
    Q71LinkState().Pending.Set(bytes);
}

bool WriteBlock(const std::uint8_t* request, std::uint32_t length, const Grouping& g)
{
    const std::uint64_t pages = g.PagesPerRecorderBlock();
    if (length < 2 + pages * g.pageSize)
        return false;
    const std::uint64_t first = GetU16(request) * pages;
    if (!FitsU32(first + pages))
        return false;
    const std::uint8_t* data = request + 2;
    for (std::uint64_t done = 0; done < pages;) {
        const auto run = static_cast<std::uint16_t>(std::min<std::uint64_t>(pages - done, kMaxPagesPerWrite));
        if (!Q71Library().WritePages(static_cast<std::uint32_t>(first + done), data + done * g.pageSize, run))
            return false;
        done += run;
    }
    Q71LinkState().Pending.Clear();
    return true;
}

bool WritePage(const std::uint8_t* request, std::uint32_t length, const Grouping& g)
{
    if (length < 4 + g.pageSize)
        return false;
    Reply({request, 4});
    return Q71Library().WritePages(GetU32(request), request + 4, 1) != 0;
}

bool EraseBlock(const std::uint8_t* request, std::uint32_t length, const Grouping& g)
{
    if (length < 2)
        return false;
    Reply({request, 2});
    const std::uint64_t first = GetU16(request) * g.PagesPerRecorderBlock();
    if (!FitsU32(first + g.PagesPerRecorderBlock()))
        return false;
    for (std::uint32_t i = 0; i < g.factor; ++i)
        if (!Q71Library().BlockErase(static_cast<std::uint32_t>(first + std::uint64_t{i} * g.pagesPerBlock)))
            return false;
    return true;
}

bool FlashParameters(const Grouping& g)
{
    std::uint8_t reply[7];
    reply[0] = LinkGeometry.chipCount;
    PutU16(reply + 1, static_cast<std::uint16_t>(g.PagesPerRecorderBlock()));
    PutU16(reply + 3, static_cast<std::uint16_t>(LinkGeometry.blocksPerChip / g.factor));
    PutU16(reply + 5, static_cast<std::uint16_t>(g.pageSize));
    Reply(reply);
    return true;
}

// Parts that run over the page end are read in two goes: the page's tail,
// and the head of the next page.
bool ReadPartsOfPages(const std::uint8_t* request, std::uint32_t length, const Grouping& g)
{
    if (length < PartsOfPagesRequest::kSize)
        return false;
    const auto r = PartsOfPagesRequest::Parse(request);
    const std::uint32_t z = g.pageSize;
    auto out = Q71LinkState().Pending.Make(std::size_t{r.count} * r.cycles);
    const auto& library = Q71Library();
    if (std::uint32_t{r.offset} + r.count == z)
        return library.ReadPartsOfPages(r.pageAddr, r.cycles, r.offset, r.count, r.addrInc, out.data()) != 0;

    if (r.offset > z)
        return false;
    std::uint32_t len1 = r.count, len2 = 0;
    if (std::uint32_t{r.offset} + r.count > z) {
        len1 = z - r.offset;
        len2 = r.count - len1;
    }
    if (len2 > z)
        return false;  // a part may reach into the next page, not beyond it
    const std::uint32_t m1 = RoundPartForCycles(len1, r.cycles);
    const std::uint32_t m2 = RoundPartForCycles(len2, r.cycles);
    if (m1 > 0xFFFF || m2 > 0xFFFF)
        return false;
    std::vector<std::uint8_t> first(std::size_t{m1} * r.cycles), second(std::size_t{m2} * r.cycles);
    if (m1 > 0 && !library.ReadPartsOfPages(r.pageAddr, r.cycles, r.offset, static_cast<std::uint16_t>(m1), r.addrInc,
                                            first.data()))
        return false;
    if (m2 > 0 && !library.ReadPartsOfPages(r.pageAddr + 1, r.cycles, 0, static_cast<std::uint16_t>(m2), r.addrInc,
                                            second.data()))
        return false;
    for (std::size_t i = 0; i < r.cycles; ++i) {
        std::uint8_t* part = out.data() + i * r.count;
        std::copy_n(first.data() + i * m1, len1, part);
        std::copy_n(second.data() + i * m2, len2, part + len1);
    }
    return true;
}

}  // namespace

std::uint32_t RoundPartForCycles(std::uint32_t length, std::uint32_t cycles)
{
    if (length == 0 || cycles == 0)
        return length;
    const std::uint32_t unit = 512 / std::gcd(cycles, 512u);
    return (length + unit - 1) / unit * unit;
}

bool IsQ71LocalCommand(std::uint8_t code)
{
    switch (code) {
    case cmdWriteBlock:
    case cmdBeginWritePage:
    case cmdWritePage:
    case cmdEraseBlock:
    case cmdGetFlashParam:
    case cmdGetPartsOfPages:
        return true;
    default:
        return false;
    }
}

bool Q71LocalCommand(std::uint8_t code, const std::uint8_t* request, std::uint32_t requestLength)
{
    const Grouping g = CurrentGrouping();
    switch (code) {
    case cmdWriteBlock:
        return WriteBlock(request, requestLength, g);
    case cmdBeginWritePage:
        if (requestLength < 4)
            return false;
        Reply({request, 4});
        return true;
    case cmdWritePage:
        return WritePage(request, requestLength, g);
    case cmdEraseBlock:
        return EraseBlock(request, requestLength, g);
    case cmdGetFlashParam:
        return FlashParameters(g);
    case cmdGetPartsOfPages:
        return ReadPartsOfPages(request, requestLength, g);
    default:
        return false;
    }
}

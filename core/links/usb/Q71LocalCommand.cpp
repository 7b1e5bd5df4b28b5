#include "core/links/usb/Q71LocalCommand.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "core/links/LinkGeometry.h"
#include "core/links/usb/Q71Library.h"
#include "core/links/usb/Q71Link.h"
#include "core/protocol/LinkRequest.h"
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

bool WriteBlock(const TWriteBlock& write, const Grouping& g)
{
    const std::uint64_t pages = g.PagesPerRecorderBlock();
    const std::uint64_t first = write.block * pages;
    if (!FitsU32(first + pages))
        return false;
    const std::uint8_t* data = write.data.data();
    for (std::uint64_t done = 0; done < pages;) {
        const auto run = static_cast<std::uint16_t>(std::min<std::uint64_t>(pages - done, kMaxPagesPerWrite));
        if (!Q71Library().WritePages(static_cast<std::uint32_t>(first + done), data + done * g.pageSize, run))
            return false;
        done += run;
    }
    Q71LinkState().Pending.Clear();
    return true;
}

bool WritePage(const TWritePage& write)
{
    Reply(write.address);
    return Q71Library().WritePages(write.page, write.data.data(), 1) != 0;
}

bool EraseBlock(const TEraseBlock& erase, const Grouping& g)
{
    Reply(erase.request);
    const std::uint64_t first = erase.block * g.PagesPerRecorderBlock();
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
bool ReadPartsOfPages(const PartsOfPagesRequest& r, const Grouping& g)
{
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

// The recorder's page and block requests on the library's page functions;
// the recorder sees G physical blocks as one.
class TQ71LocalServer final : public TLinkRequestServer {
public:
    explicit TQ71LocalServer(const Grouping& g) : m_g(g) {}

protected:
    PayloadGeometry RequestGeometry() const override
    {
        return {m_g.pageSize, static_cast<std::uint32_t>(m_g.PagesPerRecorderBlock())};
    }
    bool ReadPartsOfPages(const PartsOfPagesRequest& parts) override { return ::ReadPartsOfPages(parts, m_g); }
    bool WriteBlock(const TWriteBlock& write) override { return ::WriteBlock(write, m_g); }
    bool BeginWritePage(const TBeginWritePage& begin) override
    {
        Reply(begin.request);
        return true;
    }
    bool WritePage(const TWritePage& write) override { return ::WritePage(write); }
    bool EraseBlock(const TEraseBlock& erase) override { return ::EraseBlock(erase, m_g); }
    bool OtherCommand(const TOtherCommand& command) override
    {
        return command.code == cmdGetFlashParam && FlashParameters(m_g);
    }

private:
    Grouping m_g;
};

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
    if (!IsQ71LocalCommand(code))
        return false;
    TQ71LocalServer server(CurrentGrouping());
    return server.Serve(code, {request, request ? requestLength : 0});
}

// A mailbox command sector as the simulated device parses it. A parsed
// command written back must parse to the same fields.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "massstorage/DrcbCommand.h"

namespace {

bool SameFields(const DrcbCommand& a, const DrcbCommand& b)
{
    return a.command == b.command && a.firstPage == b.firstPage && a.partSize == b.partSize && a.step == b.step &&
           a.offset == b.offset && a.count == b.count && a.length == b.length &&
           (a.length == 0 || !a.payload || std::memcmp(a.payload, b.payload, a.length) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DrcbCommand parsed;
    if (!DrcbCommand::Parse(data, size, parsed))
        return 0;
    std::vector<std::uint8_t> sector(DrcbCommand::kMaxUsed, 0);
    parsed.Serialize(sector.data());
    DrcbCommand again;
    if (!DrcbCommand::Parse(sector.data(), sector.size(), again) || !SameFields(parsed, again))
        std::abort();
    return 0;
}

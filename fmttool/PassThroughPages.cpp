#include "fmttool/PassThrough.h"
#include "fmttool/PassThroughDevice.h"
#include "fmttool/PassThroughState.h"
#include "fmttool/Q71VendorCdb.h"
#include "fmttool/TransferSplit.h"

namespace passthrough {

namespace {

constexpr std::uint64_t kLastAddress = 0xFFFFFFFF;

bool RefuseUnidentified()
{
    return Fail(TScsiFailure::Of(TScsiFailure::Kind::NoDevice));
}

bool RefuseBeyond(std::uint64_t last)
{
    return Refuse("address " + std::to_string(last) + " lies beyond 32 bits");
}

}  // namespace

bool Q71_ReadPages(std::uint32_t firstPage, void* buffer, std::uint16_t pageCount)
{
    ClearFailure();
    if (pageCount == 0)
        return true;
    const TPassThroughState& state = PassThroughState();
    if (!state.Identified())
        return RefuseUnidentified();
    const std::uint32_t sectorSize = state.sectorSize;
    const std::uint64_t sectorsPerPage = state.params.pageSize / sectorSize;
    const std::uint64_t firstSector = firstPage * sectorsPerPage;
    const std::uint64_t sectors = sectorsPerPage * pageCount;
    if (firstSector + sectors - 1 > kLastAddress)
        return RefuseBeyond(firstSector + sectors - 1);

    auto* out = static_cast<std::uint8_t*>(buffer);
    return SendInCommands(sectors, ItemsPerCommand(sectorSize), [&](std::uint64_t done, std::uint32_t count) {
        TScsiRequest request{
            Read10Cdb(static_cast<std::uint32_t>(firstSector + done), static_cast<std::uint16_t>(count)),
            TDataDirection::In, out + done * sectorSize, count * sectorSize};
        return ExecuteCdb(state.path, request);
    });
}

bool Q71_WritePages(std::uint32_t firstPage, const void* data, std::uint16_t pageCount)
{
    ClearFailure();
    if (pageCount == 0)
        return true;
    const TPassThroughState& state = PassThroughState();
    if (!state.Identified())
        return RefuseUnidentified();
    const std::uint32_t pageSize = state.params.pageSize;
    if (std::uint64_t{firstPage} + pageCount - 1 > kLastAddress)
        return RefuseBeyond(std::uint64_t{firstPage} + pageCount - 1);

    // SG_IO only reads the data of a write.
    auto* in = static_cast<std::uint8_t*>(const_cast<void*>(data));
    return SendInCommands(pageCount, ItemsPerCommand(pageSize), [&](std::uint64_t done, std::uint32_t count) {
        const auto cdb =
            Q71VendorCdb::WritePages(static_cast<std::uint32_t>(firstPage + done), static_cast<std::uint16_t>(count));
        TScsiRequest request{cdb.Bytes(), TDataDirection::Out, in + done * pageSize, count * pageSize};
        return ExecuteCdb(state.path, request);
    });
}

bool Q71_ReadPartsOfPages(std::uint32_t firstPage, std::uint16_t count, std::uint16_t offset, std::uint16_t partSize,
                          std::uint16_t step, void* out)
{
    ClearFailure();
    if (partSize == 0)
        return Refuse("part size 0");
    if (count == 0)
        return true;
    const TPassThroughState& state = PassThroughState();
    if (!state.Identified())
        return RefuseUnidentified();
    const std::uint64_t lastPage = firstPage + std::uint64_t{count - 1u} * step;
    if (lastPage > kLastAddress)
        return RefuseBeyond(lastPage);

    auto* parts = static_cast<std::uint8_t*>(out);
    return SendInCommands(count, ItemsPerCommand(partSize), [&](std::uint64_t done, std::uint32_t items) {
        const auto cdb = Q71VendorCdb::ReadParts(static_cast<std::uint32_t>(firstPage + done * step),
                                                 static_cast<std::uint16_t>(items), partSize, step, offset);
        TScsiRequest request{cdb.Bytes(), TDataDirection::In, parts + done * partSize, items * partSize};
        return ExecuteCdb(state.path, request);
    });
}

}  // namespace passthrough

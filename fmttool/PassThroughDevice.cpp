#include "fmttool/PassThroughDevice.h"

#include <algorithm>
#include <array>

#include "fmttool/PassThroughState.h"
#include "fmttool/Q71VendorCdb.h"

namespace passthrough {

namespace {

// Sector sizes the tool's 8 KiB clusters are made of.
constexpr std::uint32_t kLargestSectorSize = 8192;

// Why the geometry cannot be worked with; empty when it can.
std::string GeometryProblem(const FlashParams& params, std::uint32_t sectorSize)
{
    if (sectorSize == 0 || kLargestSectorSize % sectorSize != 0)
        return "sector size " + std::to_string(sectorSize) + " does not divide " + std::to_string(kLargestSectorSize);
    if (params.pageSize == 0 || params.pageSize % sectorSize != 0)
        return "page size " + std::to_string(params.pageSize) + " is not a multiple of the sector size " +
               std::to_string(sectorSize);
    return {};
}

}  // namespace

bool Fail(TScsiFailure failure)
{
    PassThroughState().lastFailure = std::move(failure);
    return false;
}

bool Refuse(const std::string& detail)
{
    return Fail(TScsiFailure::Of(TScsiFailure::Kind::Refused, {}, detail));
}

void ClearFailure()
{
    PassThroughState().lastFailure = {};
}

bool ExecuteCdb(const std::string& path, TScsiRequest& request)
{
    if (path.empty())
        return Fail(TScsiFailure::Of(TScsiFailure::Kind::NoDevice, {}));
    TScsiDeviceIo& io = ScsiDeviceIo();
    const int handle = io.Open(path);
    if (handle < 0) {
        TScsiFailure failure = TScsiFailure::Of(TScsiFailure::Kind::System, path);
        failure.error = -handle;
        return Fail(std::move(failure));
    }
    std::array<std::uint8_t, kSenseLength> sense{};
    sg_io_hdr header = BuildSgIoHeader(request, sense.data());
    const int error = io.SgIo(handle, header);
    io.Close(handle);
    if (error != 0) {
        TScsiFailure failure = TScsiFailure::Of(TScsiFailure::Kind::System, path);
        failure.error = error;
        return Fail(std::move(failure));
    }
    TScsiFailure failure = JudgeSgIo(header);
    if (!failure.Failed())
        return true;
    failure.path = path;
    return Fail(std::move(failure));
}

bool CheckInquiry(const std::string& path)
{
    std::array<std::uint8_t, kInquiryLength> answer{};
    TScsiRequest request{InquiryCdb(), TDataDirection::In, answer.data(), kInquiryLength};
    if (!ExecuteCdb(path, request))
        return false;
    if (answer != Q71InquiryAnswer)
        return Fail(TScsiFailure::Of(TScsiFailure::Kind::NotRecorder, path));
    return true;
}

bool IdentifyDevice(const std::string& path)
{
    std::array<std::uint8_t, FlashParams::kSize> answer{};
    TScsiRequest identify{Q71VendorCdb::Identify().Bytes(), TDataDirection::In, answer.data(), FlashParams::kSize};
    if (!ExecuteCdb(path, identify))
        return false;
    std::array<std::uint8_t, kReadCapacityLength> capacity{};
    TScsiRequest readCapacity{ReadCapacityCdb(), TDataDirection::In, capacity.data(), kReadCapacityLength};
    if (!ExecuteCdb(path, readCapacity))
        return false;

    const FlashParams params = FlashParams::Parse(answer.data());
    const std::uint32_t sectorSize = BlockLengthOf(capacity.data());
    const std::string problem = GeometryProblem(params, sectorSize);
    if (!problem.empty())
        return Fail(TScsiFailure::Of(TScsiFailure::Kind::Geometry, path, problem));

    TPassThroughState& state = PassThroughState();
    state.path = path;
    state.params = params;
    state.sectorSize = sectorSize;
    return true;
}

}  // namespace passthrough

#include "fmttool/SgIoRequest.h"

namespace passthrough {

namespace {

int SgDirection(TDataDirection direction)
{
    switch (direction) {
    case TDataDirection::In:
        return SG_DXFER_FROM_DEV;
    case TDataDirection::Out:
        return SG_DXFER_TO_DEV;
    case TDataDirection::None:
        break;
    }
    return SG_DXFER_NONE;
}

}  // namespace

sg_io_hdr BuildSgIoHeader(TScsiRequest& request, std::uint8_t* sense)
{
    sg_io_hdr header{};
    header.interface_id = 'S';
    const bool hasData = request.direction != TDataDirection::None && request.length != 0;
    header.dxfer_direction = hasData ? SgDirection(request.direction) : SG_DXFER_NONE;
    header.cmd_len = static_cast<unsigned char>(request.cdb.size());
    header.mx_sb_len = kSenseLength;
    header.dxfer_len = hasData ? request.length : 0;
    header.dxferp = hasData ? request.data : nullptr;
    header.cmdp = request.cdb.data();
    header.sbp = sense;
    header.timeout = kCommandTimeoutMs;
    return header;
}

}  // namespace passthrough

#include "fmttool/ScsiFailure.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace passthrough {

namespace {

constexpr std::uint8_t kCheckCondition = 0x02;
constexpr std::uint8_t kBusy = 0x08;
// Host and driver codes of the Linux SCSI layer for a command that timed out.
constexpr std::uint16_t kHostTimeOut = 0x03;
constexpr std::uint16_t kDriverTimeOut = 0x06;

std::string Hex(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

bool Descriptive(const std::vector<std::uint8_t>& sense)
{
    return !sense.empty() && ((sense[0] & 0x7F) == 0x72 || (sense[0] & 0x7F) == 0x73);
}

// The byte at the fixed-format index, or at the descriptor-format index.
int SenseByte(const std::vector<std::uint8_t>& sense, std::size_t fixed, std::size_t descriptor)
{
    const std::size_t at = Descriptive(sense) ? descriptor : fixed;
    return at < sense.size() ? sense[at] : -1;
}

}  // namespace

bool TScsiFailure::IsPermission() const
{
    return kind == Kind::System && (error == EACCES || error == EPERM);
}

bool TScsiFailure::IsTimeout() const
{
    return kind == Kind::Transport && (hostStatus == kHostTimeOut || (driverStatus & 0x0F) == kDriverTimeOut);
}

int TScsiFailure::SenseKey() const
{
    const int byte = SenseByte(sense, 2, 1);
    return byte < 0 ? -1 : byte & 0x0F;
}

int TScsiFailure::AdditionalSenseCode() const
{
    return SenseByte(sense, 12, 2);
}

int TScsiFailure::AdditionalSenseQualifier() const
{
    return SenseByte(sense, 13, 3);
}

std::string TScsiFailure::Describe() const
{
    const std::string where = path.empty() ? std::string() : path + ": ";
    switch (kind) {
    case Kind::None:
        return "No error.";
    case Kind::System: {
        std::string text = where + std::strerror(error);
        if (IsPermission())
            text += " (the tool needs read and write access to the device and the raw-I/O capability)";
        return text;
    }
    case Kind::Status: {
        std::string text = where + "SCSI status " + Hex(status);
        if (status == kCheckCondition)
            text += " (check condition)";
        else if (status == kBusy)
            text += " (busy)";
        if (SenseKey() < 0)
            return text + ", no sense data";
        text += ", sense key " + Hex(static_cast<unsigned>(SenseKey()));
        if (AdditionalSenseCode() >= 0)
            text += ", ASC " + Hex(static_cast<unsigned>(AdditionalSenseCode()));
        if (AdditionalSenseQualifier() >= 0)
            text += ", ASCQ " + Hex(static_cast<unsigned>(AdditionalSenseQualifier()));
        return text;
    }
    case Kind::Transport:
        if (IsTimeout())
            return where + "the device did not answer within 2 seconds";
        return where + "host status " + Hex(hostStatus) + ", driver status " + Hex(driverStatus);
    case Kind::ShortTransfer:
        return where + std::to_string(residue) + " bytes of the data phase did not move";
    case Kind::NotRecorder:
        return where + "not a recorder";
    case Kind::Geometry:
    case Kind::Refused:
        return where + detail;
    case Kind::NoDevice:
        return where + "no recorder found";
    }
    return where + "unknown failure";
}

TScsiFailure JudgeSgIo(const sg_io_hdr& header)
{
    TScsiFailure failure;
    if (header.status != 0) {
        failure.kind = TScsiFailure::Kind::Status;
        failure.sense.assign(header.sbp, header.sbp + std::min<unsigned>(header.sb_len_wr, header.mx_sb_len));
    } else if (header.host_status != 0 || header.driver_status != 0) {
        failure.kind = TScsiFailure::Kind::Transport;
    } else if (header.resid != 0) {
        failure.kind = TScsiFailure::Kind::ShortTransfer;
    }
    failure.status = header.status;
    failure.hostStatus = header.host_status;
    failure.driverStatus = header.driver_status;
    failure.residue = header.resid;
    return failure;
}

}  // namespace passthrough

#pragma once

#include <scsi/sg.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace passthrough {

// Why the last device function failed, so the tool can say what happened:
// a CHECK CONDITION leaves errno at 0, and a missing permission is not a
// missing recorder.
struct TScsiFailure {
    enum class Kind {
        None,
        System,         // open or SG_IO failed: error
        Status,         // the device answered a SCSI status other than GOOD
        Transport,      // host or driver status (a time-out among them)
        ShortTransfer,  // residue bytes of the data phase did not move
        NotRecorder,    // the INQUIRY answer is not the recorder's
        Geometry,       // the identify answer cannot be worked with
        Refused,        // the call was refused before any command
        NoDevice,       // no recorder connected, or none found
    };

    Kind kind = Kind::None;
    std::string path;
    int error = 0;
    std::uint8_t status = 0;
    std::uint16_t hostStatus = 0;
    std::uint16_t driverStatus = 0;
    int residue = 0;
    std::vector<std::uint8_t> sense;
    std::string detail;  // for Geometry and Refused

    static TScsiFailure Of(Kind kind, std::string path = {}, std::string detail = {})
    {
        TScsiFailure failure;
        failure.kind = kind;
        failure.path = std::move(path);
        failure.detail = std::move(detail);
        return failure;
    }

    bool Failed() const { return kind != Kind::None; }
    bool IsPermission() const;
    bool IsTimeout() const;
    // Sense key, ASC and ASCQ of fixed or descriptor sense data; -1 when absent.
    int SenseKey() const;
    int AdditionalSenseCode() const;
    int AdditionalSenseQualifier() const;
    // One line for the console.
    std::string Describe() const;
};

// The failure an executed SG_IO header reports, Kind::None when the command
// went through whole: SCSI, host and driver status 0 and no residue.
TScsiFailure JudgeSgIo(const sg_io_hdr& header);

}  // namespace passthrough

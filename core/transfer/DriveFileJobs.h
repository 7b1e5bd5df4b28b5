#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/flash/FlashGeometry.h"
#include "core/links/FileHandle.h"
#include "core/recorder/JobOutcome.h"

class TCustomDriveFileList;
class TDriveFileInfo;
struct TRecorderJobContext;

// The smallest flash-drive file number from 1 that no file uses; none when
// 1 to 0x7FFE are all taken.
std::optional<std::uint16_t> NewDriveFileNumber(const TCustomDriveFileList& files);

// The name as a page of that size stores it: at most P - 65 and
// (D - 64) / 2 - 1 UTF-16 units, never cut inside a surrogate pair.
QString CutDriveFileName(const QString& name, std::uint32_t pageSize);
// The name is stored whole (nothing cut). A name that is not is refused.
bool DriveNameFits(const QString& name, std::uint32_t pageSize);

// A flash-drive path too long for the stored name; the text names it
// (DriveNameTooLongStr and the path).
class EDriveNameTooLong : public std::runtime_error {
public:
    explicit EDriveNameTooLong(const QString& name);
    const QString& Name() const { return m_name; }

private:
    QString m_name;
};

// A PC file (or, with INVALID_HANDLE_VALUE, a folder entry) into free blocks
// in list order. The number must be unused; the blocks are the last scan's.
struct TDriveUploadRequest {
    QString Name;                          // as stored: "A\B\c.txt"
    HANDLE Source = INVALID_HANDLE_VALUE;  // read from its current position
    std::uint32_t Time = 0;                // seconds since 1970
    std::uint16_t Number = 0;
    std::uint32_t ConnectType = 0;
    TFlashGeometry Geometry;
    std::vector<std::uint32_t> FreeBlocks;
};

// Writes the blocks; Aborted after the abort flag stopped it, with the
// blocks written erased again. A name that does not fit whole raises
// EDriveNameTooLong before anything is written. A file too large for the free blocks or for
// the header's 32-bit size, or a source that is not a regular file, raises
// std::runtime_error before anything is written; a failed source read
// (std::runtime_error) or link fault (TERecXchange) midway erases what was
// written, as far as the link lets it, and is raised again.
TJobOutcome WriteDriveFile(const TDriveUploadRequest& request, std::atomic<std::uint8_t>& progress,
                           const std::atomic<std::uint8_t>& abortFlag);

// A flash-drive file's data into a PC file opened for writing.
struct TDriveDownloadRequest {
    const TDriveFileInfo* File = nullptr;
    HANDLE Target = INVALID_HANDLE_VALUE;
    TFlashGeometry Geometry;
};

// Reads the blocks in list order, corrects single-bit errors by the pages'
// ECC and writes the data, cut at the stored size. ECC faults are shown
// through the recorder host ("ECC VALUE ERROR", "ECC UNCORRECTABLE ERROR");
// an uncorrectable one ends it Failed after the data were written. A block
// whose voted header is not the file's next one, or a block count that does
// not match the size, raises std::runtime_error. SinkRefused when the PC
// file takes no more; Aborted as far as it came.
TJobOutcome ReadDriveFile(const TDriveDownloadRequest& request, std::atomic<std::uint8_t>& progress,
                          const std::atomic<std::uint8_t>& abortFlag);

// The bodies of the job table's DriveFileUpload and DriveFileDownload
// entries over the context's parameters, snapshot and lists.
TJobOutcome DriveFileUploadJob(TRecorderJobContext& context);
TJobOutcome DriveFileDownloadJob(TRecorderJobContext& context);

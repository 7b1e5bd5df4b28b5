#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <sys/types.h>
#include <vector>

// A PC file as it was written: its final path, its size and the CRC-32
// (zlib's) of all its bytes, kept while writing.
struct TWrittenFile {
    QString Path;
    std::uint64_t Size = 0;
    std::uint32_t Crc = 0;
};

// A write, flush, rename or read-back that failed. The text is the one the
// user sees: "Writing error", the file and the system's reason.
class EFileWriteError : public std::runtime_error {
public:
    EFileWriteError(const QString& path, const QString& reason);
    // reason: the system's text for errno error.
    EFileWriteError(const QString& path, int error);

    const QString& Path() const { return m_path; }
    const QString& Reason() const { return m_reason; }
    // The errno, or 0 when the reason is a text of our own.
    int Error() const { return m_error; }
    QString Text() const;

private:
    QString m_path;
    QString m_reason;
    int m_error = 0;
};

// A file that has its final name only once it is whole. Create makes an
// unnamed file in the final file's folder (O_TMPFILE), so that a killed
// program leaves nothing; where the file system has no unnamed files, a
// hidden ".<name>.XXXXXX.part" beside it, locked (flock) while written, and
// removed by the next staged file made in that folder once no program holds
// it. Write puts bytes at the position (appends are buffered; a write below
// the end patches what was written, as a header is patched last); Seal
// flushes, syncs and checks the size on the disk; Link gives the sealed file
// its hidden temporary name; Rename puts it over the final name and syncs
// the folder; Publish does all three. Until the rename a file of the final
// name stays as it was. Any failure raises EFileWriteError; the destructor
// and Discard remove what was made unless it was renamed. One thread at a
// time.
class TStagedFile {
public:
    explicit TStagedFile(QString finalPath);
    ~TStagedFile();
    TStagedFile(const TStagedFile&) = delete;
    TStagedFile& operator=(const TStagedFile&) = delete;

    void Create();
    void Write(const void* data, std::size_t length);
    // A position up to the size written.
    void Seek(std::uint64_t position);
    std::uint64_t Position() const { return m_position; }
    std::uint64_t Size() const { return m_size; }

    // For a writer that needs a file descriptor (a flash-drive download job):
    // the file's, valid from Create to Seal. Such writes pass the running CRC
    // by; AdoptHandleWrites takes the file as it then is (size and CRC read
    // from it) before Seal.
    int Handle() const { return m_fd; }
    void AdoptHandleWrites();

    // The file stays open (and locked) until it is renamed or discarded.
    void Seal();
    // Seals first when that was not done.
    void Link();
    // Links first when that was not done. Once the rename is done the file is
    // published, even when the folder's sync then fails (and raises).
    TWrittenFile Rename();
    TWrittenFile Publish() { return Rename(); }
    void Discard() noexcept;

    bool IsOpen() const { return m_fd >= 0; }
    bool IsSealed() const { return m_sealed; }
    bool IsPublished() const { return m_published; }
    // Whether the file was made without a name (else under its hidden one).
    bool IsUnnamed() const { return m_unnamed; }
    const QString& FinalPath() const { return m_finalPath; }
    // The hidden name, once there is one (at once where the file system has
    // no unnamed files, else from Link on).
    const QString& TemporaryPath() const { return m_temporaryPath; }
    // What was written (the final path, size and CRC), valid once sealed.
    TWrittenFile Written() const { return {m_finalPath, m_size, m_crc}; }

private:
    void CreateNamed(const QByteArray& folder, mode_t mode);
    void Flush();
    void WriteOut(std::uint64_t offset, const std::uint8_t* data, std::size_t length);
    void Patch(std::uint64_t offset, const std::uint8_t* data, std::size_t length);
    [[noreturn]] void Fail(int error);
    [[noreturn]] void Fail(const QString& reason);

    QString m_finalPath;
    QString m_temporaryPath;
    int m_fd = -1;
    std::uint64_t m_position = 0;
    std::uint64_t m_size = 0;     // bytes written, buffered ones included
    std::uint64_t m_flushed = 0;  // bytes on the file
    std::uint32_t m_crc = 0;
    std::vector<std::uint8_t> m_buffer;
    bool m_unnamed = false;
    bool m_sealed = false;
    bool m_published = false;
};

// Names files together (the parts of a split download): every one is sealed
// and linked under its temporary name first, and only then are they renamed
// to their final names, one after the other. A failure before the renames
// removes every one of them and leaves every old file of those names whole;
// a failure during the renames removes those not yet renamed. Raises
// EFileWriteError.
std::vector<TWrittenFile> PublishTogether(const std::vector<TStagedFile*>& files);

// What reading a written file back found.
struct TFileCheck {
    enum class TResult { Good, Missing, SizeDiffers, ReadFailed, ChecksumDiffers };
    TResult Result = TResult::Good;
    QString Reason;  // the system's text, or the sizes that differ

    bool Good() const { return Result == TResult::Good; }
};

// Reads the file back at its final path, from the disk: it and its folder
// are synced (a failed sync is a failed read) and its cached pages dropped
// first. Good when it is there, has the size written
// and its CRC-32 equals the one kept while writing.
TFileCheck VerifyWrittenFile(const TWrittenFile& file);

// The free bytes for this user on the file system of folder (statvfs);
// none when the system does not say.
std::optional<std::uint64_t> FreeDiskBytes(const QString& folder);
// The message when bytes do not fit into the free space of folder
// (NotEnoughDiskSpaceStr with the folder and both sizes); none when they
// fit or the free space is not known.
std::optional<QString> CheckDiskSpace(const QString& folder, std::uint64_t bytes);

// Tests: the nth write to the disk of any staged file from now on (1 = the
// next) fails with error; 0 turns the fault off. Reset by ResetProcessState.
// (FailFileCall in core/settings/FileCalls.h fails the other calls.)
void SetStagedFileWriteFault(int nthWrite, int error);

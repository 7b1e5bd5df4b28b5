#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>

#include "core/settings/StagedFile.h"

// A four-character code as the little-endian u32 a RIFF file stores.
constexpr std::uint32_t FourCC(const char (&code)[5])
{
    return static_cast<std::uint8_t>(code[0]) | static_cast<std::uint8_t>(code[1]) << 8 |
           static_cast<std::uint8_t>(code[2]) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(code[3])) << 24;
}

inline constexpr std::uint32_t kRiffId = FourCC("RIFF");
inline constexpr std::uint32_t kListId = FourCC("LIST");

// One chunk as the RIFF layer tracks it. DataOffset is the file offset of
// the chunk's data; for RIFF and LIST that data begins with the form type.
struct TRiffChunk {
    std::uint32_t Id = 0;
    std::uint32_t Size = 0;
    std::uint32_t FormType = 0;
    std::int64_t DataOffset = 0;
    bool Created = false;  // written here: its size is patched on ascend
};

// A RIFF file with the chunk semantics of the multimedia file functions:
// Descend searches inside the parent from the current position, Ascend
// patches the size of a created chunk and pads odd sizes to even length.
// Buffered, with 64-bit offsets. No operation throws.
//
// A file for writing is staged (TStagedFile): it has its name only once
// Close has flushed, synced and checked it; a failure or Abort leaves
// nothing of it and a file of that name as it was.
class TRiffFile {
public:
    enum class TFind { Chunk, Riff };

    bool Open(const QString& name);    // for reading
    bool Create(const QString& name);  // for writing
    // Releases the file. A written one is sealed and, unless publishing is
    // held, renamed to its name; false when that fails or an earlier write
    // did (the file is released all the same, and removed).
    bool Close();
    // A written file is dropped: nothing of it stays.
    void Abort();
    bool IsOpen() const { return m_file.isOpen() || m_staged != nullptr; }
    bool IsWriting() const { return m_writing; }

    // Close seals written files but leaves the renaming to whoever takes
    // them with TakeSealed.
    void SetHoldPublish(bool hold) { m_holdPublish = hold; }
    std::unique_ptr<TStagedFile> TakeSealed() { return std::move(m_sealed); }
    // The last written file that Close published.
    const TWrittenFile& Written() const { return m_written; }
    // Why the last write, Create or Close failed ("Writing error", the file
    // and the system's reason); empty when none did.
    const QString& LastError() const { return m_error; }

    // Counts of bytes, or -1 on an error.
    std::int32_t Read(void* buffer, std::int32_t length);
    std::int32_t Write(const void* buffer, std::int32_t length);
    bool Seek(std::int64_t offset);
    std::int64_t Position() const;
    std::int64_t FileSize() const;

    // Finds the chunk with chunk.Id (TFind::Chunk) or the RIFF chunk of form
    // chunk.FormType (TFind::Riff) from the current position, inside parent
    // when one is given, else up to the end of the file. On success the file
    // sits at the chunk's data (behind the form type for RIFF and LIST). A
    // chunk that does not fit into its parent or the file is refused.
    bool Descend(TRiffChunk& chunk, const TRiffChunk* parent, TFind find);
    // Leaves the chunk: a created chunk gets its size (over 32 bits fails)
    // and a pad byte when odd; the file then sits behind the chunk.
    bool Ascend(TRiffChunk& chunk);
    // Writes the header of chunk (Id, Size, and FormType when riff) at the
    // current position.
    bool CreateChunk(TRiffChunk& chunk, bool riff);

private:
    bool WriteU32(std::uint32_t value);
    void Failed(const EFileWriteError& error);

    QFile m_file;                           // reading
    std::unique_ptr<TStagedFile> m_staged;  // writing
    std::unique_ptr<TStagedFile> m_sealed;
    TWrittenFile m_written;
    QString m_error;
    bool m_writing = false;
    bool m_failed = false;
    bool m_holdPublish = false;
};

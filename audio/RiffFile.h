#pragma once

#include <QFile>
#include <QString>

#include <cstdint>

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
class TRiffFile {
public:
    enum class TFind { Chunk, Riff };

    bool Open(const QString& name);    // for reading
    bool Create(const QString& name);  // for writing, truncating
    // Flushes and releases the file; false when the flush fails (the file
    // is released all the same).
    bool Close();
    bool IsOpen() const { return m_file.isOpen(); }
    bool IsWriting() const { return m_writing; }

    // Counts of bytes, or -1 on an error.
    std::int32_t Read(void* buffer, std::int32_t length);
    std::int32_t Write(const void* buffer, std::int32_t length);
    bool Seek(std::int64_t offset);
    std::int64_t Position() const { return m_file.pos(); }
    std::int64_t FileSize() const { return m_file.size(); }

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

    QFile m_file;
    bool m_writing = false;
};

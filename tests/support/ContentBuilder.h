#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/flash/BlockHeader.h"

class ImageBuilder;
class SimRecorder;

// Where the builder lays content: page size is what command 29 reports
// (page and spare bytes on the image link).
struct ContentGeometry {
    std::uint32_t totalBlocks = 128;
    std::uint16_t pagesPerBlock = 128;
    std::uint16_t pageSize = 2112;
    std::uint16_t firstDataBlock = 1;

    // The geometry a SimRecorder reports (its page stride as the page size).
    static ContentGeometry Of(const SimRecorder& recorder);
};

struct CallSpec {
    std::uint8_t valid = 1;  // call-information byte 2
    bool outgoing = false;
    std::vector<std::uint8_t> digits;
    std::optional<std::uint8_t> storedCount;  // byte 5 when it should lie
};

// A break at `page` of the recording's block `block`: that page ends a
// stretch (status 0xFFFF, sound only in its first `filledBytes`), the next
// stretch starts `gapSeconds` later. Before the block's last page the next
// page carries the start time three times; on the last page the next
// block's header time does.
struct BreakSpec {
    std::uint32_t block = 0;
    std::uint32_t page = 0;
    double gapSeconds = 5;
    std::uint32_t filledBytes = 1000;
    std::optional<std::uint32_t> stamp;  // stored in place of the right one
    bool stampPageUnwritten = false;     // the stamp page left erased
};

struct RecordingSpec {
    std::uint16_t number = 1;
    std::uint32_t start = 1700000000;  // first block's stamp
    std::uint8_t compress = 2;         // 0 PCM, 1 companded, 2 ADPCM
    std::uint8_t param = 2;            // ADPCM 1 = 2-bit; companded scale index
    std::uint8_t rateCode = 1;         // 0 16000, 1 8000, else 4000 Hz
    std::uint8_t statusVas = 0;        // header byte 11
    std::uint8_t cyclic = 0;
    std::optional<CallSpec> call;
    std::uint32_t blockCount = 1;
    std::uint32_t lastBlockPages = 0;  // sound pages of the last block; 0: all
    // Sound pages of other blocks by index (the rest of such a block stays
    // unwritten); the next block still starts one block's time later.
    std::map<std::uint32_t, std::uint32_t> blockSoundPages;
    std::vector<BreakSpec> breaks;
    // Block numbers, in the recording's time order; empty: the next unused
    // blocks upwards.
    std::vector<std::uint32_t> blocks;
    std::uint16_t firstSequence = 1;
};

struct BuiltRecording {
    std::vector<std::uint32_t> blocks;  // time order
    std::vector<std::uint32_t> times;   // block stamps
    double secondsPerBlock = 0;
};

struct DriveFileSpec {
    std::uint16_t number = 1;
    std::u16string name = u"FILE.TXT";
    std::vector<std::uint8_t> data;
    bool folder = false;
    std::uint32_t time = 1700000000;
    std::vector<std::uint32_t> blocks;  // empty: the next unused blocks upwards
};

// Lays recordings and flash-drive files into pages as the recorder and
// this program's writers store them, then copies the pages into a
// SimRecorder or an image. Sound pages carry a test signal in the
// recording's codec; unwritten pages stay erased.
class ContentBuilder {
public:
    using Signal = std::function<std::int16_t(std::uint64_t sampleIndex)>;

    explicit ContentBuilder(const ContentGeometry& geometry);

    const ContentGeometry& Geometry() const { return m_geometry; }

    // The default is a speech-like mix of tones.
    ContentBuilder& SetSignal(Signal signal);
    // Off: of the full blocks that are not a recording's last, only the
    // first page is stored (their other pages stay erased). For scans of
    // large flashes, which read no page of such blocks but the first.
    ContentBuilder& SetWriteFullBlocks(bool write);

    BuiltRecording AddRecording(const RecordingSpec& spec);
    std::vector<std::uint32_t> AddDriveFile(const DriveFileSpec& spec);

    // Damage on request.
    void CorruptHeaderCopy(std::uint32_t block, int copy, std::size_t byte = 3);
    void CorruptHeaderCrc(std::uint32_t block);
    // Owner 0xFFFF but other bytes written and the CRC wrong.
    void WriteHalfWrittenHeader(std::uint32_t block);
    // Writes a valid header into a block (reserved blocks too).
    void WriteHeader(std::uint32_t block, const TBlockHeader& header);

    // The page as stored (erased when nothing was written).
    std::vector<std::uint8_t> PageBytes(std::uint64_t page) const;
    std::size_t StoredPages() const { return m_pages.size(); }

    void WriteTo(SimRecorder& recorder) const;
    void WriteTo(ImageBuilder& image) const;
    // An image too large for memory: header, the stored pages and the
    // header area of every other block, written sparsely into the file.
    // The image's geometry and first data block must match.
    void WriteSparseImage(const ImageBuilder& image, const std::string& path) const;

    // Sound bytes of a page: where they start and how many samples a byte
    // gives, by codec.
    static std::uint32_t SoundStart(std::uint8_t compress, bool blockStart, bool afterStamp);

private:
    std::vector<std::uint8_t>& Page(std::uint64_t page);
    std::uint32_t TakeBlock();
    void WriteSound(std::vector<std::uint8_t>& page, const RecordingSpec& spec, std::uint32_t from, std::uint32_t to,
                    std::uint64_t& sample) const;

    ContentGeometry m_geometry;
    Signal m_signal;
    bool m_writeFullBlocks = true;
    std::uint32_t m_nextBlock = 0;
    std::vector<bool> m_used;
    std::map<std::uint64_t, std::vector<std::uint8_t>> m_pages;
};

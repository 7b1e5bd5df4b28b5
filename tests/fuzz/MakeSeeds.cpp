// Writes the seeds that come from the test builders into the corpus:
// fuzz_make_seeds <corpus folder>. The other seeds are small files kept as
// they are. Run again after a change of the image, content, FAT12, wave or
// private-chunk layout.
#include <QBuffer>
#include <QImage>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "audio/WaveAddInfo.h"
#include "audio/WaveFile.h"
#include "core/flash/CallInfo.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/RecorderFrame.h"
#include "fmttool/Fat12BootSector.h"
#include "fmttool/Fat12Image.h"
#include "fmttool/ScsiCdb.h"
#include "massstorage/Q71Protocol.h"
#include "tests/fuzz/ScanFuzz.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/ImageBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavBuilder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Save(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes)
{
    std::filesystem::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::cout << (folder / name).string() << " " << bytes.size() << " bytes\n";
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The command-76 request, then the image file.
Bytes ImageSeed(const ImageBuilder& image, const PartsOfPagesRequest& request)
{
    Bytes out(PartsOfPagesRequest::kSize);
    request.Serialize(out.data());
    const Bytes file = image.Bytes();
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

void ImageSeeds(const std::filesystem::path& folder)
{
    const Bytes header(64, 0x11);
    ImageBuilder plain;
    plain.Blocks(2);
    Save(folder, "blank", ImageSeed(plain, {0, 0, 64, 4, 2}));

    ImageBuilder owned;
    owned.Blocks(3).FirstImageBlock(1).FirstDataBlock(2).Owner(2, 7).Page(2, 0, header).Firmware(10, 3);
    Save(folder, "owned", ImageSeed(owned, {4, 0, 528, 1, 3}));

    ImageBuilder offset;
    offset.Blocks(2).DataStart(1024).Geometry(256, 8, 2);
    Save(folder, "data-start", ImageSeed(offset, {1, 250, 16, 1, 2}));
}

// The builder's pages as records of their written runs.
Bytes ScanSeed(const ContentBuilder& content, std::uint8_t flags)
{
    Bytes out{flags};
    const SimGeometry g = scan_fuzz::Geometry();
    for (std::uint64_t page = 0; page < g.TotalPages(); ++page) {
        const Bytes raw = content.PageBytes(page);
        for (std::size_t at = 0; at < raw.size();) {
            if (raw[at] == 0xFF) {
                ++at;
                continue;
            }
            std::size_t end = at;
            std::size_t erased = 0;
            for (std::size_t i = at; i < raw.size() && erased < 16; ++i) {
                erased = raw[i] == 0xFF ? erased + 1 : 0;
                if (raw[i] != 0xFF)
                    end = i + 1;
            }
            const std::size_t length = end - at;
            out.push_back(static_cast<std::uint8_t>(page));
            out.push_back(static_cast<std::uint8_t>(at));
            out.push_back(static_cast<std::uint8_t>(at >> 8));
            out.push_back(static_cast<std::uint8_t>(length));
            out.push_back(static_cast<std::uint8_t>(length >> 8));
            out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                       raw.begin() + static_cast<std::ptrdiff_t>(end));
            at = end;
        }
    }
    return out;
}

void ScanSeeds(const std::filesystem::path& folder)
{
    const SimGeometry g = scan_fuzz::Geometry();
    ContentGeometry geometry;
    geometry.totalBlocks = scan_fuzz::kBlocks;
    geometry.pagesPerBlock = scan_fuzz::kPagesPerBlock;
    geometry.pageSize = static_cast<std::uint16_t>(g.RawPageSize());
    geometry.firstDataBlock = scan_fuzz::kFirstDataBlock;

    for (const std::uint8_t compress : {0, 1, 2}) {
        ContentBuilder content(geometry);
        RecordingSpec spec;
        spec.compress = compress;
        spec.blockCount = 2;
        spec.lastBlockPages = 2;
        spec.call = CallSpec{1, compress == 1, {1, 2, 3, 4}, std::nullopt};
        content.AddRecording(spec);
        Save(folder, "recording-" + std::to_string(compress), ScanSeed(content, compress == 2 ? 1 : 0));
    }

    ContentBuilder mixed(geometry);
    RecordingSpec broken;
    broken.blockCount = 2;
    broken.breaks = {BreakSpec{0, 1, 5, 100, std::nullopt, false}};
    mixed.AddRecording(broken);
    RecordingSpec cyclic;
    cyclic.number = 2;
    cyclic.cyclic = 1;
    cyclic.blocks = {6, 5};
    mixed.AddRecording(cyclic);
    DriveFileSpec file;
    file.data = Bytes(700, 0x42);
    mixed.AddDriveFile(file);
    DriveFileSpec folderEntry;
    folderEntry.number = 2;
    folderEntry.name = u"DOCS";
    folderEntry.folder = true;
    mixed.AddDriveFile(folderEntry);
    mixed.CorruptHeaderCopy(1, 2);
    Save(folder, "mixed", ScanSeed(mixed, 0));
}

void Fat12Seeds(const std::filesystem::path& folder)
{
    const TempDir temp;
    for (const std::uint32_t sectorSize : {4096u, 512u}) {
        const std::string path = temp.File("volume.img");
        TFat12BootSector boot;
        if (Fat12BuildBootSector(boot, sectorSize, 96 * 4096 / sectorSize) != fat12Ok ||
            Fat12CreateImage(path, boot) != fat12Ok)
            throw std::runtime_error("cannot build the FAT12 seed");
        {
            TFat12Image image([] { return SYSTEMTIME{2024, 3, 5, 15, 13, 45, 38, 0}; });
            image.Fat12OpenImage(path);
            image.Fat12MakeDirectory("", "DOCS");
            image.Fat12MakeDirectory("DOCS", "SUB");
            image.Fat12CreateEntry("DOCS", "REPORT~1.TXT", std::string("Report of the year.txt"));
            TFat12File file;
            if (image.Fat12OpenFile("DOCS\\REPORT~1.TXT", file) == fat12Ok) {
                const std::string text = "hello";
                image.Fat12WriteFile(text.data(), 1, text.size(), file);
                image.Fat12CloseFile(file);
            }
        }
        Bytes bytes = ReadFile(path);
        while (!bytes.empty() && bytes.back() == 0)
            bytes.pop_back();
        Save(folder, "volume-" + std::to_string(sectorSize), bytes);
    }
}

// [u16 payload length] then a frame; for the FTDI link also the bytes per
// read and the empty reads.
void FrameSeeds(const std::filesystem::path& frames, const std::filesystem::path& ftdi)
{
    const Bytes identity{'V', 'e', 'v', 'u', 0};
    const Bytes big(300, 0x33);
    for (const Bytes& payload : {identity, big, Bytes{}}) {
        const Bytes frame = BuildRecorderFrame(34, payload.data(), payload.size());
        Bytes seed{static_cast<std::uint8_t>(payload.size()), static_cast<std::uint8_t>(payload.size() >> 8)};
        seed.insert(seed.end(), frame.begin(), frame.end());
        Save(frames, "frame-" + std::to_string(payload.size()), seed);
        seed.insert(seed.begin() + 2, {static_cast<std::uint8_t>(payload.empty() ? 0 : 7), 1});
        Save(ftdi, "frame-" + std::to_string(payload.size()), seed);
    }
}

void JpegSeeds(const std::filesystem::path& folder)
{
    QImage picture(16, 8, QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 16, y * 32, 128));
    for (const auto& [name, quality] : {std::pair{"small-q50", 50}, std::pair{"small-q95", 95}}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!picture.save(&buffer, "JPG", quality))
            throw std::runtime_error("cannot write the JPEG seed (Qt's jpeg plugin)");
        Save(folder, name, Bytes(buffer.data().begin(), buffer.data().end()));
    }
    QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (grey.save(&buffer, "JPG", 75))
        Save(folder, "grey", Bytes(buffer.data().begin(), buffer.data().end()));
}

// A private chunk of the given version: the version-5 layout cut to the
// version's size, or the 8-bit text layout of versions 1 and 2.
Bytes AddInfoChunk(int version)
{
    TWaveAddInfo info;
    info.Crc = 0x12345678;
    info.SerialNumber = QStringLiteral("0123456789");
    info.ModelName = QStringLiteral("Sorv Dare Q3");
    info.Time = SYSTEMTIME{2024, 3, 5, 15, 13, 45, 38, 0};
    info.Codec = 2;
    const TWaveAddInfoV5 v5 = BuildWaveAddInfo(info);
    static constexpr std::size_t kSizes[] = {0, 46, 62, 104, 168, 170};
    Bytes chunk(kSizes[version], 0);
    if (version >= 3) {
        std::copy_n(v5.begin(), chunk.size(), chunk.begin());
        if (version == 3)
            std::copy_n(reinterpret_cast<const std::uint8_t*>(&info.Crc), 4, chunk.begin());
        return chunk;
    }
    std::copy_n(reinterpret_cast<const std::uint8_t*>(&info.Crc), 4, chunk.begin());
    const std::string serial = "0123456789";
    const std::string model = "Sorv Dare Q3";
    std::copy(serial.begin(), serial.end(), chunk.begin() + 4);
    std::copy(model.begin(), model.end(), chunk.begin() + 25);
    if (version == 2)
        std::copy_n(v5.begin() + waveaddinfo::kTimeAt, 16, chunk.begin() + 46);
    return chunk;
}

// [mask length][mask][piece size, 2 bytes][the file].
Bytes WaveSeed(const std::string& mask, std::uint16_t piece, const Bytes& file)
{
    Bytes out{static_cast<std::uint8_t>(mask.size())};
    out.insert(out.end(), mask.begin(), mask.end());
    out.push_back(static_cast<std::uint8_t>(piece - 2));
    out.push_back(static_cast<std::uint8_t>((piece - 2) >> 8));
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

// The wave files of both wave targets: every chunk version, PCM and a
// compressed tag, the private chunk before and after the data, a 'fact'
// chunk, odd data.
std::vector<std::pair<std::string, Bytes>> WaveFiles()
{
    std::vector<std::pair<std::string, Bytes>> files;
    for (int version = 1; version <= 5; ++version) {
        WavBuilder wav;
        wav.Fmt(WavBuilder::PcmFmt(version == 2 ? 2 : 1, 8000, version == 1 ? 8 : 16));
        if (version % 2)
            wav.Chunk(kWaveAddInfoChunkId, AddInfoChunk(version)).Data(WavBuilder::Counting(200));
        else
            wav.Data(WavBuilder::Counting(201)).Chunk(kWaveAddInfoChunkId, AddInfoChunk(version));
        files.emplace_back("v" + std::to_string(version), wav.Build());
    }
    WavBuilder adpcm;
    adpcm.Fmt(WavBuilder::FmtBody(0x11, 1, 8000, 4, 20))
        .Chunk("fact", {0x90, 0x01, 0, 0})
        .Data(WavBuilder::Counting(256))
        .Chunk(kWaveAddInfoChunkId, AddInfoChunk(5));
    files.emplace_back("adpcm", adpcm.Build());
    files.emplace_back("plain", WavBuilder().Fmt(WavBuilder::PcmFmt(1, 11025, 16)).Data(WavBuilder::Counting(64)).Build());
    return files;
}

void WaveSeeds(const std::filesystem::path& folder)
{
    const std::string masks[] = {"[SN]_[RN]_[yyyy-mm-dd hh_nn_ss]", "[EI] [dddd mmmm] [am/pm]", "rec[RN", "[c]"};
    const std::uint16_t pieces[] = {2, 7, 160, 512};
    std::size_t i = 0;
    for (const auto& [name, file] : WaveFiles()) {
        Save(folder, name, WaveSeed(masks[i % std::size(masks)], pieces[i % std::size(pieces)], file));
        ++i;
    }
}

// [result, 256 bytes][call record, 26][the wave file].
Bytes WaveInfoSeed(const std::vector<std::uint16_t>& words, const Bytes& record, const Bytes& file)
{
    Bytes out(256 + TCallInfo::kSize, 0);
    for (std::size_t i = 0; i < words.size(); ++i) {
        out[2 * i] = static_cast<std::uint8_t>(words[i]);
        out[2 * i + 1] = static_cast<std::uint8_t>(words[i] >> 8);
    }
    std::copy(record.begin(), record.end(), out.begin() + 256);
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

void WaveInfoSeeds(const std::filesystem::path& folder)
{
    const auto files = WaveFiles();
    // In call, pulse number 123, Russian caller ID 4567.
    const std::vector<std::uint16_t> russian{1, 4, 5, 0, 1, 2, 3, 0, 4, 5, 6, 7};
    // Out call, DTMF number 98, caller ID with date and time, number and name.
    const std::vector<std::uint16_t> callerId{2, 3, 14, 1, 9, 8, 1, 1, 2, 1, 2, 2, 3, 5, 5, 5, 7, 2, 65, 66, 9, 1, 0};
    const Bytes incoming{0, 0, 1, 0, 0, 4, 1, 2, 3, 4};
    const Bytes outgoing{0, 0, 1, 0, 1, 25, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3};
    Save(folder, "russian", WaveInfoSeed(russian, incoming, files[0].second));
    Save(folder, "caller-id", WaveInfoSeed(callerId, outgoing, files[4].second));
    Save(folder, "no-call", WaveInfoSeed({}, {}, files[5].second));
    Save(folder, "v2-call", WaveInfoSeed(callerId, incoming, files[1].second));
}

// [INQUIRY length][INQUIRY answer][identify][READ CAPACITY][fault, 5 bytes].
Bytes PassThroughSeed(const Bytes& inquiry, const FlashParams& params, std::uint32_t sectorSize, const Bytes& fault)
{
    Bytes out{static_cast<std::uint8_t>(inquiry.size())};
    out.insert(out.end(), inquiry.begin(), inquiry.end());
    Bytes identify(FlashParams::kSize);
    params.Serialize(identify.data());
    out.insert(out.end(), identify.begin(), identify.end());
    Bytes capacity(passthrough::kReadCapacityLength);
    passthrough::PutBigEndian32(capacity.data(), 4095);
    passthrough::PutBigEndian32(capacity.data() + 4, sectorSize);
    out.insert(out.end(), capacity.begin(), capacity.end());
    out.insert(out.end(), fault.begin(), fault.end());
    return out;
}

void PassThroughSeeds(const std::filesystem::path& folder)
{
    const Bytes recorder(passthrough::Q71InquiryAnswer.begin(), passthrough::Q71InquiryAnswer.end());
    FlashParams params;
    params.chips = 1;
    params.blocksPerChip = 64;
    params.pagesPerBlock = 64;
    params.pageSize = 2048;
    params.spareSize = 64;
    Save(folder, "recorder", PassThroughSeed(recorder, params, 2048, {}));
    Save(folder, "sector-512", PassThroughSeed(recorder, params, 512, {}));
    FlashParams large = params;
    large.pageSize = 4096;
    large.pagesPerBlock = 128;
    Save(folder, "page-4096", PassThroughSeed(recorder, large, 4096, {}));
    Save(folder, "check-condition", PassThroughSeed(recorder, params, 2048, {2, 0, 5, 0x24, 0}));
    Save(folder, "short-inquiry", PassThroughSeed(Bytes(recorder.begin(), recorder.begin() + 20), params, 2048, {}));
    const std::string foreign = "Generic USB Flash Disk  1.00";
    Bytes other{0x00, 0x80, 0x06, 0x02, 0x1F, 0x00, 0x00, 0x00};
    other.insert(other.end(), foreign.begin(), foreign.end());
    Save(folder, "foreign", PassThroughSeed(other, params, 512, {}));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: fuzz_make_seeds <corpus folder>\n";
        return 2;
    }
    const std::filesystem::path corpus(argv[1]);
    ImageSeeds(corpus / "image");
    ScanSeeds(corpus / "scan");
    Fat12Seeds(corpus / "fat12");
    FrameSeeds(corpus / "frame", corpus / "ftdi_frame");
    JpegSeeds(corpus / "jpeg");
    WaveSeeds(corpus / "wave");
    WaveInfoSeeds(corpus / "wave_info");
    PassThroughSeeds(corpus / "passthrough");
    return 0;
}

// A wave file from the input: opened, its data read in pieces until it ends
// (bytes and samples by turns), its private chunk read whatever its version
// (and the file's first bytes read as a chunk of each version's size), and
// a file-name mask taken from the input expanded over what the chunk told,
// as a download names its file. A read past the data's end, or a name that
// leaves the download folder, stops the run. Layout: [mask length]
// [mask, UTF-8][piece size, 2 bytes][the file].
#include <QLocale>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "audio/FileNameMask.h"
#include "audio/WaveAddInfo.h"
#include "audio/WaveFile.h"
#include "tests/fuzz/FuzzFiles.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzReset.h"

namespace {

// Reads the data to its end in pieces of the given size; the bytes read.
std::uint64_t ReadToEnd(TWaveFile& wave, std::int32_t piece)
{
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(piece));
    std::uint64_t total = 0;
    for (bool samples = false;; samples = !samples) {
        const std::int32_t got =
            samples ? wave.ReadSamples(reinterpret_cast<std::int16_t*>(buffer.data()), piece / 2) * 2
                    : wave.Read(buffer.data(), piece);
        if (got <= 0)
            break;
        total += static_cast<std::uint64_t>(got);
    }
    return total;
}

// What a downloaded recording's name must be, whatever the mask and the
// chunk hold: a name in the download folder.
bool StaysInFolder(const QString& name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar c : name)
        if (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetKeepingLanguages();
    FuzzInput input(data, size);
    const auto maskBytes = input.Bytes(input.U8());
    const QString mask =
        QString::fromUtf8(reinterpret_cast<const char*>(maskBytes.data()), static_cast<qsizetype>(maskBytes.size()));
    // 2 to 512 bytes: pieces that split samples and blocks in every way.
    const std::int32_t piece = 2 + (input.U8() | (input.U8() & 1) << 8);
    const auto file = input.Rest();
    const QString path = WriteFuzzFile(QStringLiteral("input.wav"), file.data(), file.size());

    // The chunk reader over the file's first bytes at each version's size,
    // whatever the file holds.
    for (const std::int64_t length : {46, 62, 104, 168, 170})
        if (file.size() >= static_cast<std::size_t>(length))
            ReadWaveAddInfo(file.data(), length);

    TWaveFile::IsWaveFile(path);
    TWaveFile wave(path);
    TWaveAddInfo info;
    if (wave.Open()) {
        wave.SourceFormat();
        // Reads never pass the data's end, and after it nothing more comes.
        std::uint8_t after[4];
        if (ReadToEnd(wave, piece) > wave.DataBytes() || wave.Read(after, sizeof after) > 0)
            std::abort();
        info = ReadWaveAddInfo(wave.PrivateChunk(), wave.PrivateChunkLength());
        if (info.Version > 0)
            ReadWaveAddInfo(BuildWaveAddInfo(info).data(), waveaddinfo::kVersion5Size);
    }
    // A file that is no wave file still gets its name from the mask.
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::Russian, QLocale::Russia)}) {
        const QString name =
            ExpandFileNameMask(mask, info.Time, info.SerialNumber, info.Codec, info.Version - 1, info.ModelName, locale);
        if (!StaysInFolder(name))
            std::abort();
        MakePartFileName(name, info.Version);
    }
    wave.Close();
    ResetKeepingLanguages();
    return 0;
}

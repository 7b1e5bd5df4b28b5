#include "audio/WaveFileInfo.h"

#include <QFileInfo>
#include <QLocale>

#include <cstring>
#include <optional>
#include <vector>

#include "audio/DateTimeFormat.h"
#include "audio/WaveAddInfo.h"
#include "core/protocol/Crc32.h"
#include "core/recorder/RecorderHost.h"
#include "core/settings/FileUtils.h"
#include "localizer/LangFormat.h"

namespace {

QString Const(const char* name)
{
    return LangConst(QString::fromLatin1(name));
}

// Whole seconds; 0 when the rate, the channel count or the bits per sample
// is 0.
std::int64_t WaveLengthSeconds(std::uint64_t dataBytes, const TWaveFormatEx& format)
{
    if (format.SamplesPerSec == 0 || format.Channels == 0 || format.BitsPerSample == 0)
        return 0;
    // Data sizes are 32-bit, so the quotient fits.
    return static_cast<std::int64_t>(static_cast<double>(dataBytes) / format.SamplesPerSec / format.Channels /
                                     (format.BitsPerSample * 0.125));
}

QString FilePart(const TWaveFile& wave)
{
    const TWaveFormatEx format = wave.Format();
    const std::int64_t length = WaveLengthSeconds(wave.DataBytes(), format);
    return LangConstFormat(QStringLiteral("FileInfoStr"), static_cast<std::int64_t>(wave.DataBytes()), format.Channels,
                           format.SamplesPerSec, format.BlockAlign, length / 3600, length % 3600 / 60, length % 60);
}

QString AddInfoPart(const TWaveAddInfo& info, std::uint32_t crc, bool& beep)
{
    if (info.Version == 0)
        return Const("NoAddInfoStr") + QLatin1Char('\n');
    QString text = LangConstFormat(QStringLiteral("AddFileInfoStr"), info.ModelName, info.SerialNumber);
    beep = crc != info.Crc;
    text += QLatin1Char(' ') + Const(beep ? "IntCheckFailedStr" : "IntCheckPassedStr");
    if (info.Version >= 2 && civil::IsValid(info.Time))
        text += QStringLiteral("\n    ") + FormatDateTime(QStringLiteral("ddddd hh:nn:ss"), info.Time, QLocale());
    text += QLatin1Char('\n');
    if (info.Version == 5)
        text += QStringLiteral("    ") + Const("SrcCompressTypeStr") + QLatin1Char(' ') +
                SourceCodecCaption(info.Codec) + QLatin1Char('\n');
    return text + QLatin1Char('\n');
}

}  // namespace

QString SourceCodecCaption(std::uint16_t codec)
{
    switch (codec) {
    case scNoCompression:
        return RecorderHost().CompressionCaption(TCompressionCaption::NoCompress);
    case scAdpcm4:
        return RecorderHost().CompressionCaption(TCompressionCaption::Adpcm4);
    case scCompanded8:
        return RecorderHost().CompressionCaption(TCompressionCaption::uLaw);
    case scAdpcm2:
        return RecorderHost().CompressionCaption(TCompressionCaption::Adpcm2);
    default:
        return QStringLiteral("Unknown");
    }
}

QString CallText(const TAonResult& w)
{
    if (w[0] == 0)
        return {};
    QString text = Const(w[0] == 2 ? "OutCallStr" : "InCallStr") + QLatin1Char('\n');
    const std::size_t lengthA = w[1];
    const std::size_t lengthB = w[2];
    constexpr std::size_t startA = 3;
    const std::size_t startB = startA + lengthA;
    const auto digits = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to && i < w.size(); ++i)
            text += QString::number(w[i]);
    };

    if (lengthA > 0) {
        text += Const(w[startA] == 0 ? "PulseNumberStr" : "DTMFNumberStr") + QStringLiteral(": ");
        digits(startA + 1, startA + lengthA);
        text += QLatin1Char('\n');
    }

    // B[i], while i lies inside block B and the block inside the result.
    const auto b = [&](std::size_t i) -> std::optional<std::uint16_t> {
        if (i >= lengthB || startB + i >= w.size())
            return std::nullopt;
        return w[startB + i];
    };
    const std::optional<std::uint16_t> kind = b(0);
    if (!kind)
        return text;
    if (*kind == 0) {
        text += Const("RusAONStr") + QStringLiteral(": ");
        digits(startB + 1, startB + lengthB);
        return text + QLatin1Char('\n');
    }
    text += Const("CallerIDStr") + QLatin1Char('\n');
    for (std::size_t j = 0; j + 1 < lengthB;) {
        const std::optional<std::uint16_t> type = b(j + 1);
        const std::optional<std::uint16_t> count = b(j + 2);
        if (!type || !count)
            break;
        text += Const("NameParamsStr") + QStringLiteral(": ");
        switch (*type) {
        case 1:
            text += Const("DateTimeStr") + QStringLiteral(": ");
            break;
        case 2:
            text += Const("CallIdentStr") + QStringLiteral(": ");
            break;
        case 7:
            text += Const("CallNameStr") + QStringLiteral(": ");
            break;
        default:
            text += QString::number(*type) + QLatin1Char(' ');
            break;
        }
        text += QString::number(*count) + QLatin1Char('\n');
        for (std::size_t k = j + 3; k < j + 3 + *count; ++k) {
            const std::optional<std::uint16_t> data = b(k);
            if (!data)
                break;
            text += QString::number(*data);
        }
        text += QLatin1Char('\n');
        j += 2 + *count;
    }
    return text;
}

TWaveFileInfoText BuildWaveFileInfo(const QString& path, const TAonFunctions* decoder)
{
    const QString notWave = path + QLatin1Char(' ') + Const("NotWaveFileStr");
    if (QFileInfo(path).isDir())
        return {notWave};
    // A FIFO or a device would hold the program in the read or never end it.
    if (!FileCanBeOpened(path, false))
        return {Const("CantOpenStr") + QLatin1Char(' ') + path};
    TWaveFile wave(path);
    if (!wave.Open())
        return {notWave};

    TWaveFileInfoText result;
    result.Text = FilePart(wave);
    const TWaveAddInfo info = ReadWaveAddInfo(wave.PrivateChunk(), wave.PrivateChunkLength());

    if (decoder)
        decoder->Init(wave.Format().SamplesPerSec);
    TCrc32 crc;
    std::vector<std::int16_t> samples(aon::kSamplesPerCall);
    auto* bytes = reinterpret_cast<std::uint8_t*>(samples.data());
    for (;;) {
        const std::int32_t got = wave.Read(bytes, aon::kBlockBytes);
        // A failed read (-1) ends the data as its end does.
        if (got <= 0)
            break;
        crc.Update(bytes, static_cast<std::uint32_t>(got));
        if (!decoder)
            continue;
        // The last block is short: the decoder still gets 8192 samples,
        // silent past the data rather than left over from the block before.
        std::memset(bytes + got, 0, aon::kBlockBytes - static_cast<std::uint32_t>(got));
        decoder->Process(aon::kSamplesPerCall, samples.data());
    }
    result.Text += AddInfoPart(info, crc.Register(), result.Beep);

    if (decoder) {
        TAonResult words{};
        decoder->GetResult(words.data());
        result.Text += CallText(words);
    }
    return result;
}

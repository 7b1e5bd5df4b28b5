#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>

#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "audio/WaveAddInfo.h"
#include "audio/WaveFileInfo.h"
#include "core/protocol/Crc32.h"
#include "core/recorder/RecorderHost.h"
#include "tests/support/ParamName.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavBuilder.h"

namespace {

using Bytes = WavBuilder::Bytes;

const SYSTEMTIME kTime{2024, 3, 2, 5, 14, 7, 9, 0};
const std::u16string kFilePart =
    u"File info:\r\n    Data size: 20000\r\n    Channels: 1\r\n    Sample rate: 8000\r\n    Block align: 2\r\n"
    u"    Length: 00:00:01\r\n\r\nAdditional info:\r\n";
const std::u16string kNoAddInfo =
    u"File was created (or modified)\r\n    by another program and has\r\n    no additional info.\r\n\r\n";

std::uint32_t CrcRegister(const Bytes& data)
{
    TCrc32 crc;
    crc.Update(data.data(), static_cast<std::uint32_t>(data.size()));
    return crc.Register();
}

void Put16(Bytes& chunk, std::size_t at, std::uint16_t value)
{
    chunk[at] = static_cast<std::uint8_t>(value);
    chunk[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// A private chunk laid out as `layout` says (1 to 5), `size` bytes long:
// texts written as given, with no terminator when they fill their room.
Bytes MakeChunk(int layout, std::size_t size, std::uint32_t crc, const std::string& serial, const std::string& model,
                const SYSTEMTIME& time = kTime, std::uint16_t codec = 1)
{
    Bytes chunk(std::max<std::size_t>(size, 170), 0xEE);
    std::fill(chunk.begin(), chunk.begin() + std::min<std::size_t>(size, 170), 0);
    if (layout >= 4)
        crc = waveaddinfo::MaskCrc(crc);
    for (int i = 0; i < 4; ++i)
        chunk[i] = static_cast<std::uint8_t>(crc >> (8 * i));
    const std::uint16_t timeFields[] = {time.wYear, time.wMonth,  time.wDayOfWeek, time.wDay,
                                        time.wHour, time.wMinute, time.wSecond,    time.wMilliseconds};
    const std::size_t timeAt = layout <= 2 ? 46 : 88;
    if (layout <= 2) {
        std::copy(serial.begin(), serial.end(), chunk.begin() + 4);
        std::copy(model.begin(), model.end(), chunk.begin() + 25);
    } else {
        for (std::size_t i = 0; i < serial.size(); ++i)
            Put16(chunk, 4 + 2 * i, static_cast<std::uint8_t>(serial[i]));
        for (std::size_t i = 0; i < model.size(); ++i)
            Put16(chunk, 46 + 2 * i, static_cast<std::uint8_t>(model[i]));
    }
    if (layout >= 2)
        for (std::size_t i = 0; i < 8; ++i)
            Put16(chunk, timeAt + 2 * i, timeFields[i]);
    if (layout == 5)
        Put16(chunk, 168, codec);
    chunk.resize(size);
    return chunk;
}

class WaveFileInfoTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    QString Save(const std::string& name, const Bytes& data, const std::optional<Bytes>& chunk,
                 const Bytes& fmt = WavBuilder::PcmFmt(1, 8000, 16))
    {
        WavBuilder builder;
        builder.Fmt(fmt).Data(data);
        if (chunk)
            builder.Chunk(kWaveAddInfoChunkId, *chunk);
        builder.Save(dir.File(name));
        return QString::fromStdString(dir.File(name));
    }

    TempDir dir;
    const Bytes data = WavBuilder::Counting(20000);
};

struct VersionCase {
    const char* name;
    int layout;  // 0: no chunk at all
    std::size_t size;
    std::u16string additional;
};

void PrintTo(const VersionCase& c, std::ostream* os)
{
    *os << c.name;
}

class WaveFileInfoVersions : public WaveFileInfoTest, public ::testing::WithParamInterface<VersionCase> {};

const std::u16string kV1 = u"Recorder model: ZR-4\r\n    S/N:7001.\r\n    Integerity checking: passed.\n\n";
const std::u16string kDated =
    u"Recorder model: ZR-4\r\n    S/N:7001.\r\n    Integerity checking: passed.\n    05/03/2024 14:07:09\n\n";

const VersionCase kVersions[] = {
    {"no chunk", 0, 0, kNoAddInfo + u"\n"},
    {"version 1", 1, 46, kV1},
    {"version 2", 2, 62, kDated},
    {"version 3", 3, 104, kDated},
    {"version 4", 4, 168, kDated},
    {"version 5", 5, 170,
     u"Recorder model: ZR-4\r\n    S/N:7001.\r\n    Integerity checking: passed.\n    05/03/2024 14:07:09\n"
     u"    Source compress type: ADPCM 4 bit\n\n"},
    {"100 bytes", 3, 100, kNoAddInfo + u"\n"},
    {"171 bytes", 5, 171, kNoAddInfo + u"\n"},
};

}  // namespace

TEST_P(WaveFileInfoVersions, TheChunkSizeChoosesWhatIsShown)
{
    const VersionCase& c = GetParam();
    std::optional<Bytes> chunk;
    if (c.layout > 0)
        chunk = MakeChunk(c.layout, c.size, CrcRegister(data), "7001", "ZR-4");
    const TWaveFileInfoText info = BuildWaveFileInfo(Save("v.wav", data, chunk), nullptr);
    EXPECT_EQ(info.Text.toStdU16String(), kFilePart + c.additional);
    EXPECT_FALSE(info.Beep);
}

INSTANTIATE_TEST_SUITE_P(Chunks, WaveFileInfoVersions, ::testing::ValuesIn(kVersions), PrintedParamName());

// Versions 4 and 5 store the CRC masked; every version fails the same way
// on changed data, and only the check's word changes.
TEST_F(WaveFileInfoTest, ChangedDataFailsTheCheckAndBeeps)
{
    Bytes changed = data;
    changed[17000] ^= 0x01;  // in the second, shorter block
    for (const auto& [layout, size] : {std::pair{1, 46}, {2, 62}, {3, 104}, {4, 168}, {5, 170}}) {
        const QString path = Save("changed.wav", changed, MakeChunk(layout, size, CrcRegister(data), "7001", "ZR-4"));
        const TWaveFileInfoText info = BuildWaveFileInfo(path, nullptr);
        EXPECT_TRUE(info.Text.contains(QStringLiteral("Integerity checking: FAILED!\n"))) << layout;
        EXPECT_FALSE(info.Text.contains(QStringLiteral("passed."))) << layout;
        EXPECT_TRUE(info.Beep) << layout;
    }
}

TEST_F(WaveFileInfoTest, AnInvalidStoredDateDropsItsLine)
{
    const SYSTEMTIME badDay{2023, 2, 0, 29, 10, 0, 0, 0};
    const SYSTEMTIME zero{};
    const std::pair<int, std::u16string> layouts[] = {
        {2, u"checking: passed.\n\n"},
        {5, u"checking: passed.\n    Source compress type: ADPCM 4 bit\n\n"},
    };
    for (const auto& [layout, tail] : layouts)
        for (const SYSTEMTIME& time : {badDay, zero}) {
            const Bytes chunk = MakeChunk(layout, layout == 2 ? 62 : 170, CrcRegister(data), "7001", "ZR-4", time);
            const QString text = BuildWaveFileInfo(Save("date.wav", data, chunk), nullptr).Text;
            EXPECT_TRUE(text.endsWith(QString::fromStdU16String(tail))) << layout << " " << text.toStdString();
        }
}

// The texts are read no further than their room when a terminator is
// missing: 21 characters, the model behind them untouched.
TEST_F(WaveFileInfoTest, TextsWithoutTerminatorStopAtTheirRoom)
{
    const std::string full(21, 'S');
    for (const auto& [layout, size] : {std::pair{1, 46}, {3, 104}}) {
        const QString path =
            Save("texts.wav", data, MakeChunk(layout, size, CrcRegister(data), full, std::string(21, 'M')));
        const QString text = BuildWaveFileInfo(path, nullptr).Text;
        EXPECT_TRUE(text.contains(QStringLiteral("Recorder model: %1\r\n    S/N:%2.\r\n")
                                      .arg(QString(21, QLatin1Char('M')), QString(21, QLatin1Char('S')))))
            << layout << " " << text.toStdString();
    }
}

TEST_F(WaveFileInfoTest, TheLengthIsTruncatedAndAZeroFieldShowsZero)
{
    struct Row {
        Bytes fmt;
        std::size_t bytes;
        const char* length;
    };
    const Row rows[] = {
        {WavBuilder::PcmFmt(2, 1, 16), 4 * 3725 + 3, "01:02:05"},
        {WavBuilder::FmtBody(0x11, 1, 8000, 4, 20), 4000 * 7 + 1999, "00:00:07"},
        {WavBuilder::PcmFmt(1, 0, 16), 1000, "00:00:00"},
        {WavBuilder::PcmFmt(0, 8000, 16), 1000, "00:00:00"},
        {WavBuilder::PcmFmt(1, 8000, 0), 1000, "00:00:00"},
    };
    for (const Row& row : rows) {
        const QString text = BuildWaveFileInfo(Save("len.wav", Bytes(row.bytes), std::nullopt, row.fmt), nullptr).Text;
        EXPECT_TRUE(text.contains(QStringLiteral("    Length: %1\r\n").arg(QLatin1String(row.length))))
            << row.length << " " << text.toStdString();
    }
}

TEST_F(WaveFileInfoTest, AFolderAnUnreadableFileAndATextFileGiveTheirMessage)
{
    const QString folder = QString::fromStdString(dir.File("folder.wav"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString missing = QString::fromStdString(dir.File("missing.wav"));
    const QString dangling = QString::fromStdString(dir.File("dangling.wav"));
    ASSERT_TRUE(QFile::link(missing, dangling));
    const QString text = QString::fromStdString(dir.File("notes.wav"));
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("RIFF is the start of these notes, no more.\n");
    }
    // A FIFO with bytes waiting, so a reader that took it for a file would
    // not block but find no wave in it.
    const std::string fifoName = dir.File("pipe.wav");
    ASSERT_EQ(::mkfifo(fifoName.c_str(), 0600), 0);
    const int fifoEnds = ::open(fifoName.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fifoEnds, 0);
    const std::string waiting(64, 'X');
    ASSERT_EQ(::write(fifoEnds, waiting.data(), waiting.size()), static_cast<ssize_t>(waiting.size()));
    const QString fifo = QString::fromStdString(fifoName);

    const std::pair<QString, QString> cases[] = {
        {folder, folder + QStringLiteral(" is not wave file.")},
        {missing, QStringLiteral("Can't open ") + missing},
        {dangling, QStringLiteral("Can't open ") + dangling},
        {text, text + QStringLiteral(" is not wave file.")},
        {fifo, QStringLiteral("Can't open ") + fifo},
        {QStringLiteral("/dev/zero"), QStringLiteral("Can't open /dev/zero")},
    };
    for (const auto& [path, message] : cases) {
        const TWaveFileInfoText info = BuildWaveFileInfo(path, nullptr);
        EXPECT_EQ(info.Text, message);
        EXPECT_FALSE(info.Beep);
    }
    ::close(fifoEnds);
}

namespace {

class TranslatingHost : public TRecorderHost {
public:
    void SetHiddenSettingsVisible(bool) override {}
    bool ChooseUploadFormat(std::uint8_t&, std::uint8_t&) override { return false; }
    int AppMessageBox(const QString&, std::uint32_t, const QString&) override { return 0; }
    QString CompressionCaption(TCompressionCaption which) override
    {
        return QStringLiteral("caption %1").arg(static_cast<int>(which));
    }
    QString ScaleCaption(int) override { return {}; }
};

}  // namespace

// The captions are the settings dialog's, through the recorder host.
TEST(SourceCodecCaptionTest, IdsNameTheDialogsCaptionsAndOthersAreUnknown)
{
    const std::pair<std::uint16_t, const char*> builtIn[] = {
        {0, "No compress"}, {1, "ADPCM 4 bit"}, {2, "uLaw"}, {3, "ADPCM 2 bit"}, {4, "Unknown"}, {0xFFFF, "Unknown"},
    };
    for (const auto& [codec, caption] : builtIn)
        EXPECT_EQ(SourceCodecCaption(codec), QLatin1String(caption)) << codec;

    TranslatingHost host;
    SetRecorderHost(&host);
    EXPECT_EQ(SourceCodecCaption(1), QStringLiteral("caption %1").arg(static_cast<int>(TCompressionCaption::Adpcm4)));
    EXPECT_EQ(SourceCodecCaption(9), QStringLiteral("Unknown"));
    SetRecorderHost(nullptr);
}

#include <gtest/gtest.h>

#include <QFile>
#include <cstring>
#include <fstream>

#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/links/LinkGeometry.h"
#include "core/links/image/ImageAttach.h"
#include "core/links/image/ImageEmulator.h"
#include "core/links/image/ImageFile.h"
#include "core/links/image/ImageHeader.h"
#include "core/links/image/ImageProbe.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/settings/RecorderSettingsTransfer.h"
#include "tests/core/FtdiTestFixture.h"
#include "tests/core/settings/SampleRecorderSettings.h"

namespace {

using Codes = std::vector<std::uint8_t>;

// The settings commands in the order the read sends them.
const Codes kReadOrder = {56, 4, 4, 4, 4, 4, 4, 4, 4, 9, 36, 82, 85, 39, 42, 50, 53, 31, 67};
const Codes kStoreOrder = {61, 57, 5, 5, 5, 5, 5, 5, 5, 5, 10, 37, 83, 86, 40, 42, 51, 54, 32, 68};

Codes Concat(Codes a, const Codes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Codes LoggedCodes(const SimRecorder& sim)
{
    Codes codes;
    for (const SimCommandRecord& record : sim.CommandLog())
        codes.push_back(record.code);
    return codes;
}

// A link straight into a SimRecorder, without frames.
SimRecorder* g_sim = nullptr;

void SimExecute(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                std::uint32_t replyLength, std::uint32_t)
{
    const auto answer = g_sim->Execute(code, {static_cast<const std::uint8_t*>(request), requestLength});
    const bool replyExpected = reply && replyLength > 0;
    if (!answer || (replyExpected && answer->size() < replyLength))
        ThrowIoError(code);
    if (replyExpected)
        std::memcpy(reply, answer->data(), replyLength);
}

class SettingsOverCommands : public ::testing::Test {
protected:
    SettingsOverCommands()
    {
        g_sim = &sim;
        SetLink(nullptr, SimExecute);
    }
    ~SettingsOverCommands() override
    {
        ResetLink();
        g_sim = nullptr;
    }

    SimRecorder sim;
};

} // namespace

TEST_F(SettingsOverCommands, ReadSendsOneCommandPerItemInOrder)
{
    TRecorderSettings settings;
    ReadRecorderSettings(settings, ctUsb11Adapter);
    EXPECT_EQ(LoggedCodes(sim), kReadOrder);
    const auto log = sim.CommandLog();
    for (std::size_t i = 1; i <= 8; ++i)
        EXPECT_EQ(log[i].requestBytes, 1u); // the profile number
    EXPECT_EQ(log[14].requestBytes, 0u);    // command 42 reads with no payload
}

TEST_F(SettingsOverCommands, ReadNormalisesWhatTheRecorderReports)
{
    sim.SetProfile(3, {3, 0x11, 0x2B, 7, 0, 0, 0, 0}); // 11025 Hz, compression 7
    sim.SetSetting(cmdGetCurrentProfile, std::vector<std::uint8_t>{9});
    sim.SetSetting(cmdGetVas, std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200, 0});
    sim.SetSetting(cmdGetAccessLevel, std::vector<std::uint8_t>{0});
    TRecorderSettings settings;
    ReadRecorderSettings(settings, ctUsb20SpiAdapter);
    EXPECT_EQ(settings.Profiles[3].SampleRate, 8000);
    EXPECT_EQ(settings.Profiles[3].Compress, 0);
    EXPECT_EQ(settings.CurrentProfile, 0);
    EXPECT_EQ(settings.Vas.X1, 1);
    EXPECT_EQ(settings.Vas.X2, 127);
    EXPECT_EQ(settings.Vas.X3, 1);
    EXPECT_EQ(settings.AccessLevel, 1);
}

TEST_F(SettingsOverCommands, StoreSendsEveryItemThenReadsBack)
{
    TRecorderSettings settings = DistinctSettings();
    StoreRecorderSettings(settings, ctUsb11Adapter);
    EXPECT_EQ(LoggedCodes(sim), Concat(kStoreOrder, kReadOrder));
    const auto log = sim.CommandLog();
    EXPECT_EQ(log[0].requestBytes, 7u);  // the password
    EXPECT_EQ(log[15].requestBytes, 8u); // command 42 stores the battery levels

    EXPECT_EQ(sim.StoredPassword(), (SimRecorder::Password{'s', 'e', 'c', 'r', 'e', 't', 0}));
    std::uint8_t raw[TRecordProfile::kSize];
    DistinctSettings().Profiles[4].Serialize(raw);
    EXPECT_EQ(sim.StoredProfile(4),
              (SimRecorder::Profile{raw[0], raw[1], raw[2], raw[3], raw[4], raw[5], raw[6], raw[7]}));
    EXPECT_EQ(sim.Setting(cmdGetCodecGain), (std::vector<std::uint8_t>{5}));
    EXPECT_EQ(sim.Setting(cmdGetCurrentProfile), (std::vector<std::uint8_t>{6}));

    // The record is what the recorder now holds; the password is not read back.
    EXPECT_EQ(settings, DistinctSettings());
}

TEST_F(SettingsOverCommands, FailureKeepsTheItemsReadBeforeIt)
{
    TRecorderSettings settings;
    settings.PressType = 42;
    settings.CodecGain = 43;
    settings.Aon[0] = {44, 45};
    sim.SetSetting(cmdGetVas, std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    sim.SetSetting(cmdGetCurrentProfile, std::vector<std::uint8_t>{5});
    sim.SetProfile(2, {2, 0x11, 0x2B, 7, 0, 0, 0, 0});  // 11025 Hz, compression 7
    sim.InjectFault({SimFaultKind::Fail, 0, 1, std::uint8_t{cmdGetPressType}});
    try {
        ReadRecorderSettings(settings, ctUsb11Adapter);
        FAIL() << "no exception";
    } catch (const TERecXchange& e) {
        EXPECT_EQ(e.Code, cmdGetPressType);
    }
    EXPECT_EQ(settings.CurrentProfile, 5);
    EXPECT_EQ(settings.Vas.T1, 0x0201);
    // What did arrive is brought into range all the same.
    EXPECT_EQ(settings.Profiles[2].SampleRate, 8000);
    EXPECT_EQ(settings.Profiles[2].Compress, 0);
    EXPECT_EQ(settings.PressType, 42);
    EXPECT_EQ(settings.CodecGain, 43);
    EXPECT_EQ(settings.Aon[0], (TAonPair{44, 45}));
    EXPECT_EQ(LoggedCodes(sim).back(), cmdGetPressType);
}

TEST_F(SettingsOverCommands, StoreStopsAtAFailingCommand)
{
    sim.InjectFault({SimFaultKind::Fail, 0, 1, std::uint8_t{cmdSetVas}});
    TRecorderSettings settings = DistinctSettings();
    EXPECT_THROW(StoreRecorderSettings(settings, ctUsb11Adapter), TERecXchange);
    EXPECT_EQ(LoggedCodes(sim).size(), 11u); // 61, 57, eight profiles, then 10 failed
    EXPECT_NE(sim.Setting(cmdGetPressType), (std::vector<std::uint8_t>{1}));
}

// The USB 2.0 adapter is a recorder on the FTDI link: its settings travel as
// commands and no image file is touched, whatever path the link holds.
class SettingsOverTheAdapter : public FtdiLinkFixture {
protected:
    SettingsOverTheAdapter()
    {
        SetLink(FtdiProbe, FtdiExecute);
        imagePath = QString::fromStdString(temp.File("unrelated.qdm"));
        QFile file(imagePath);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(512, 'k'));
        LinkGeometry.imagePath = imagePath;
    }
    ~SettingsOverTheAdapter() override
    {
        ResetLink();
        ResetLinkGeometry();
    }

    QByteArray ImageBytes() const
    {
        QFile file(imagePath);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    QString imagePath;
};

TEST_F(SettingsOverTheAdapter, Usb20AdapterUsesTheCommandPairs)
{
    ASSERT_TRUE(LinkProbe());
    TRecorderSettings settings = DistinctSettings();
    StoreRecorderSettings(settings, ctUsb20Adapter);
    EXPECT_EQ(LoggedCodes(sim), Concat(kStoreOrder, kReadOrder));
    EXPECT_EQ(settings, DistinctSettings());

    TRecorderSettings read;
    ReadRecorderSettings(read, ctUsb20Adapter);
    read.Password = settings.Password;
    EXPECT_EQ(read, DistinctSettings());
    EXPECT_EQ(ImageBytes(), QByteArray(512, 'k'));
}

class SettingsOnAnImage : public ::testing::Test {
protected:
    SettingsOnAnImage()
    {
        ResetLinkGeometry();
        ResetImageEmulator();
        ResetDebugLog();
        DebugLogState().FileName = temp.File("debug.log");
        DebugLogState().DebugLevel = 1;
        path = QString::fromStdString(temp.File("store.qdm"));
        AttachImageFile(path, true);
        SetLink(ImageProbe, ImageExecute);
        EXPECT_TRUE(LinkProbe());
    }
    ~SettingsOnAnImage() override
    {
        ResetLink();
        ResetImageEmulator();
        ResetLinkGeometry();
        ResetDebugLog();
    }

    std::vector<std::uint8_t> FileHeader() const
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.read(512);
        return {bytes.begin(), bytes.end()};
    }

    TempDir temp;
    QString path;
};

TEST_F(SettingsOnAnImage, StoreThenReadGivesBackEveryFieldTheHeaderHolds)
{
    TRecorderSettings stored = DistinctSettings();
    StoreRecorderSettings(stored, ctImageFile);

    const std::vector<std::uint8_t> header = FileHeader();
    ASSERT_EQ(header.size(), 512u);
    EXPECT_TRUE(ImageHeaderValid(header.data()));
    EXPECT_EQ(header[4], 6); // the current profile, inside the command 57 frame
    EXPECT_EQ(std::vector<std::uint8_t>(header.begin() + 0x199, header.begin() + 0x1A0),
              (std::vector<std::uint8_t>{'s', 'e', 'c', 'r', 'e', 't', 0}));

    // Read from the file, not from the header in memory.
    LinkGeometry.header.fill(0);
    TRecorderSettings read;
    read.CodecGain = 77;
    read.ExtDevice = 88;
    read.Password.fill(0x99);
    ReadRecorderSettings(read, ctImageFile);

    TRecorderSettings expected = DistinctSettings();
    expected.CodecGain = 77;
    expected.ExtDevice = 88;
    expected.Password.fill(0x99);
    EXPECT_EQ(read, expected);
}

TEST_F(SettingsOnAnImage, DemoStoreFillsTheHeaderAndIsNotReadBack)
{
    TRecorderSettings stored = DistinctSettings();
    stored.AccessLevel = 0; // a read would make it 1
    StoreRecorderSettings(stored, ctDemo);
    EXPECT_EQ(stored.AccessLevel, 0);
    std::vector<std::string> lines;
    {
        std::ifstream in(temp.File("debug.log"));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.substr(10, line.size() - 11));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"Store recorder settings", "Fill profiles", "Fill VAS", "Fill BatLevels",
                                               "Fill Xprt", "Fill password"}));
}

TEST_F(SettingsOnAnImage, AHeaderThatCannotBeWrittenIsAnError)
{
    // Command 57 reaches the image; then the file goes away before the write.
    static QString* target = nullptr;
    target = &path;
    SetLink(ImageProbe, [](std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                           std::uint32_t replyLength, std::uint32_t timeoutMs) {
        ImageExecute(code, request, requestLength, reply, replyLength, timeoutMs);
        LinkGeometry.imagePath = *target + QStringLiteral(".missing/x.qdm");
    });
    TRecorderSettings stored = DistinctSettings();
    try {
        StoreRecorderSettings(stored, ctImageFile);
        FAIL() << "no exception";
    } catch (const TERecXchange& e) {
        EXPECT_EQ(e.Text, QStringLiteral("I/O Error"));
        EXPECT_EQ(e.Code, cmdSetCurrentProfile);
    }
}

TEST_F(SettingsOnAnImage, UnreadableHeaderGivesTheFieldsInMemory)
{
    TRecorderSettings stored = DistinctSettings();
    StoreRecorderSettings(stored, ctImageFile);
    LinkGeometry.imagePath = path + QStringLiteral(".gone");
    TRecorderSettings read;
    EXPECT_NO_THROW(ReadRecorderSettings(read, ctImageFile));
    EXPECT_EQ(read.Vas, DistinctSettings().Vas);
    EXPECT_EQ(read.CurrentProfile, 6);
}

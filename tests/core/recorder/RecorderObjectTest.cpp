// The recorder object over a scripted link that logs every call.
#include <gtest/gtest.h>

#include <QFile>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "core/links/Link.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/NoPasswordBytes.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/RecInterface.h"
#include "core/recorder/Recorder.h"
#include "core/recorder/WaveSource.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/ProgramOptions.h"
#include "core/settings/RecorderPresets.h"
#include "localizer/LanguageManager.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/core/recorder/ScriptedLink.h"
#include "tests/support/RecorderFields.h"
#include "tests/support/TempDir.h"

using Log = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes GeometryReply(std::uint8_t chips, std::uint16_t pagesPerBlock, std::uint16_t blocksPerChip,
                    std::uint16_t pageSize)
{
    Bytes reply(7);
    reply[0] = chips;
    PutU16(&reply[1], pagesPerBlock);
    PutU16(&reply[3], blocksPerChip);
    PutU16(&reply[5], pageSize);
    return reply;
}

Bytes U16(std::uint16_t value)
{
    Bytes bytes(2);
    PutU16(bytes.data(), value);
    return bytes;
}

Bytes U32(std::uint32_t value)
{
    Bytes bytes(4);
    PutU32(bytes.data(), value);
    return bytes;
}

class FixedWaveSource : public TWaveSource {
public:
    explicit FixedWaveSource(TWaveSourceFormat format) : m_format(format) {}
    TWaveSourceFormat SourceFormat() const override { return m_format; }
    std::int32_t ReadSamples(std::int16_t*, std::int32_t) override { return 0; }

private:
    TWaveSourceFormat m_format;
};

}  // namespace

class RecorderObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
    }
    void TearDown() override { ResetProcessState(); }

    // A recorder whose link is the script (the constructor chose the real one).
    std::unique_ptr<TRecorder> Make(std::uint32_t connectType)
    {
        auto recorder = std::make_unique<TRecorder>(connectType);
        InstallScriptedLink();
        return recorder;
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
};

TEST_F(RecorderObjectTest, StartsZeroedEnabledAndIdle)
{
    auto recorder = Make(2);
    EXPECT_EQ(recorder->GetState(), rsIdle);
    EXPECT_TRUE(recorder->IsEnabled());
    EXPECT_TRUE(recorder->IsContentChanged());
    EXPECT_FALSE(recorder->GetSkipSilence());
    EXPECT_EQ(recorder->GetHardwareVariant(), 0);
    EXPECT_EQ(recorder->GetFirmwareVersion(), 0);
    EXPECT_EQ(recorder->GetSupplyVoltage(), 0);
    EXPECT_EQ(recorder->GetTotalMemory(), 0);
    EXPECT_EQ(Fields(*recorder).FFirstDataBlock, 0);
    EXPECT_EQ(Fields(*recorder).FAccessGranted, 0);
    EXPECT_EQ(Fields(*recorder).FSettings.Password, NoPasswordBytes);
    EXPECT_EQ(Fields(*recorder).FModel, QStringLiteral("Sorv Dare Q3"));
    EXPECT_EQ(recorder->GetSoundFiles()->Count(), 0);
    EXPECT_EQ(recorder->GetDriveFiles()->Count(), 0);
    EXPECT_FALSE(recorder->IsFlashDriveDisabled());
    EXPECT_EQ(recorder->Reserved40(), 0);
    EXPECT_TRUE(ScriptedLink().Log.empty());  // no device I/O while made
}

TEST_F(RecorderObjectTest, CheckConnectionWhenDisabledTouchesNoLink)
{
    auto recorder = Make(2);
    recorder->SetEnabled(false);
    Fields(*recorder).FConnected = 1;
    Fields(*recorder).FAccessGranted = 1;
    EXPECT_FALSE(recorder->CheckConnection());
    EXPECT_EQ(ScriptedLink().Log, Log{});
    EXPECT_EQ(Fields(*recorder).FAccessGranted, 0);
}

TEST_F(RecorderObjectTest, FirstSuccessReadsGeometryOnlyForTypes2And5)
{
    struct Case {
        std::uint32_t type;
        Log firstPass;
    } cases[] = {
        {0, {"probe"}},
        {1, {"probe"}},
        {2, {"probe", "cmd 29", "cmd 78"}},
        {3, {"probe"}},
        {4, {"probe"}},
        {5, {"probe", "cmd 29", "cmd 78"}},
    };
    for (const Case& c : cases) {
        auto recorder = Make(c.type);
        ScriptedLink().Replies[cmdGetFlashParam] = GeometryReply(1, 128, 1024, 2048);
        Fields(*recorder).FContentChanged = 0;
        EXPECT_TRUE(recorder->CheckConnection()) << c.type;
        EXPECT_EQ(ScriptedLink().Log, c.firstPass) << c.type;
        EXPECT_TRUE(recorder->IsContentChanged()) << c.type;

        // Already connected: the probe alone, and the flag is not set again.
        Fields(*recorder).FContentChanged = 0;
        ScriptedLink().Log.clear();
        EXPECT_TRUE(recorder->CheckConnection());
        EXPECT_EQ(ScriptedLink().Log, Log{"probe"}) << c.type;
        EXPECT_FALSE(recorder->IsContentChanged()) << c.type;
    }
}

TEST_F(RecorderObjectTest, AFailedProbeWithdrawsAccessAndResetsThePassword)
{
    auto recorder = Make(0);
    Fields(*recorder).FConnected = 1;
    Fields(*recorder).FAccessGranted = 1;
    Fields(*recorder).FSettings.Password = PasswordBytes(QStringLiteral("secret"));
    ScriptedLink().ProbeResult = false;
    EXPECT_FALSE(recorder->CheckConnection());
    EXPECT_EQ(Fields(*recorder).FAccessGranted, 0);
    EXPECT_EQ(Fields(*recorder).FSettings.Password, NoPasswordBytes);
    EXPECT_EQ(ScriptedLink().Log, Log{"probe"});
}

TEST_F(RecorderObjectTest, AnExceptionInsideGivesFalseAndWithdrawsAccess)
{
    {
        auto recorder = Make(2);
        Fields(*recorder).FAccessGranted = 1;
        ScriptedLink().Failing = {cmdGetFlashParam};
        EXPECT_FALSE(recorder->CheckConnection());
        EXPECT_EQ(Fields(*recorder).FConnected, 0);
        EXPECT_EQ(Fields(*recorder).FAccessGranted, 0);
    }
    {
        auto recorder = Make(0);
        Fields(*recorder).FAccessGranted = 1;
        ScriptedLink().ProbeThrows = true;
        EXPECT_FALSE(recorder->CheckConnection());
        EXPECT_EQ(Fields(*recorder).FAccessGranted, 0);
    }
    {
        // The status read of a connected, granted recorder fails.
        auto recorder = Make(0);
        Fields(*recorder).FConnected = 1;
        Fields(*recorder).FAccessGranted = 1;
        ScriptedLink().Failing = {cmdGetVolt};
        EXPECT_FALSE(recorder->CheckConnection());
        EXPECT_EQ(Fields(*recorder).FAccessGranted, 0);
    }
    {
        // A programming error is not a missing recorder.
        auto recorder = Make(0);
        ScriptedLink().ProbeThrows = false;
        ScriptedLink().ProbeHasABug = true;
        EXPECT_THROW(recorder->CheckConnection(), std::logic_error);
    }
}

TEST_F(RecorderObjectTest, GrantedAccessReadsTheStatus)
{
    auto recorder = Make(0);
    Fields(*recorder).FConnected = 1;
    Fields(*recorder).FAccessGranted = 1;
    SYSTEMTIME when{2024, 2, 0, 29, 13, 45, 30, 0};
    ScriptedLink().Replies[cmdGetRtc] = U32(SystemTimeToRtc(when));
    ScriptedLink().Replies[cmdGetVolt] = U16(3050);
    EXPECT_TRUE(recorder->CheckConnection());
    EXPECT_EQ(ScriptedLink().Log, (Log{"probe", "cmd 1", "cmd 7"}));
    const SYSTEMTIME clock = recorder->GetRecorderTime();
    EXPECT_EQ(clock.wYear, 2024);
    EXPECT_EQ(clock.wDay, 29);
    EXPECT_EQ(clock.wSecond, 30);
    EXPECT_EQ(recorder->GetSupplyVoltage(), 3050);
}

TEST_F(RecorderObjectTest, FlashGeometryAndTheCommand78Fallback)
{
    auto recorder = Make(0);
    ScriptedLink().Replies[cmdGetFlashParam] = GeometryReply(2, 128, 1024, 2048);
    ScriptedLink().Failing = {cmdGetFirstRecBlock};
    recorder->ReadFlashGeometry();
    EXPECT_EQ(Fields(*recorder).FChipCount, 2);
    EXPECT_EQ(Fields(*recorder).FPagesPerBlock, 128);
    EXPECT_EQ(Fields(*recorder).FBlocksPerChip, 1024);
    EXPECT_EQ(Fields(*recorder).FPageSize, 2048);
    EXPECT_EQ(Fields(*recorder).FFirstDataBlock, 17);  // 4 MiB / 128 / 2048 + 1

    ScriptedLink().Replies[cmdGetFlashParam] = GeometryReply(1, 64, 4096, 4096);
    recorder->ReadFlashGeometry();
    EXPECT_EQ(Fields(*recorder).FFirstDataBlock, 17);  // 4 MiB / 64 / 4096 + 1

    ScriptedLink().Failing.clear();
    ScriptedLink().Replies[cmdGetFirstRecBlock] = U16(5);
    recorder->ReadFlashGeometry();
    EXPECT_EQ(Fields(*recorder).FFirstDataBlock, 5);
    EXPECT_EQ(recorder->GetModelName(), QStringLiteral("Sorv Dare Q3 M1 148"));
}

TEST_F(RecorderObjectTest, AGeometryWithoutPagesIsALinkFailure)
{
    auto recorder = Make(0);
    ScriptedLink().Replies[cmdGetFlashParam] = GeometryReply(1, 128, 1024, 2048);
    recorder->ReadFlashGeometry();
    for (const Bytes& reply : {GeometryReply(1, 0, 1024, 2048), GeometryReply(1, 128, 1024, 0)}) {
        ScriptedLink().Replies[cmdGetFlashParam] = reply;
        try {
            recorder->ReadFlashGeometry();
            ADD_FAILURE() << "no error";
        } catch (const TERecXchange& error) {
            EXPECT_EQ(error.Text, QStringLiteral("I/O Error"));
            EXPECT_EQ(error.Code, cmdGetFlashParam);
        }
        EXPECT_EQ(Fields(*recorder).FPagesPerBlock, 128);  // the last good geometry stays
        EXPECT_EQ(Fields(*recorder).FPageSize, 2048);
    }
}

// The scan numbers blocks in 16 bits: a larger flash would alias blocks.
TEST_F(RecorderObjectTest, AGeometryOfMoreBlocksThanANumberReachesIsALinkFailure)
{
    auto recorder = Make(0);
    ScriptedLink().Replies[cmdGetFlashParam] = GeometryReply(2, 64, 32768, 512);
    recorder->ReadFlashGeometry();
    EXPECT_EQ(Fields(*recorder).FChipCount * Fields(*recorder).FBlocksPerChip, 65536);
    for (const Bytes& reply : {GeometryReply(2, 64, 32769, 512), GeometryReply(255, 64, 65535, 512)}) {
        ScriptedLink().Replies[cmdGetFlashParam] = reply;
        EXPECT_THROW(recorder->ReadFlashGeometry(), TERecXchange);
        EXPECT_EQ(Fields(*recorder).FBlocksPerChip, 32768);  // the last good geometry stays
    }
}

TEST_F(RecorderObjectTest, RefreshReadsFirmwareSerialAndSettingsThenScans)
{
    auto recorder = Make(0);
    ScriptedLink().Replies[cmdGetFlashParam] = GeometryReply(1, 128, 1024, 2048);
    ScriptedLink().Replies[cmdGetFwVer] = U16(0x0A03);
    ScriptedLink().Replies[cmdGetProdParam] = U32(4000000000u);
    ScriptedLink().Replies[cmdGetCurrentProfile] = {3};
    recorder->RefreshContent();
    recorder->WaitForJob();
    EXPECT_EQ(recorder->GetFirmwareVersion(), 0x0A03);
    EXPECT_EQ(recorder->GetHardwareVariant(), 2);
    EXPECT_EQ(recorder->GetSerialNumber(), QStringLiteral("4000000000"));
    EXPECT_EQ(Fields(*recorder).FSettings.CurrentProfile, 3);
    EXPECT_EQ(recorder->GetState(), rsIdle);
    EXPECT_EQ(recorder->LastJobOutcome(), TJobOutcome::Completed);
    const Log& log = ScriptedLink().Log;
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ((Log{log.begin(), log.begin() + 5}), (Log{"cmd 29", "cmd 78", "cmd 20", "cmd 22", "cmd 56"}));

    // A firmware major outside the table keeps the variant.
    ScriptedLink().Replies[cmdGetFwVer] = U16(0x0201);
    recorder->RefreshContent();
    recorder->WaitForJob();
    EXPECT_EQ(recorder->GetHardwareVariant(), 2);
}

TEST_F(RecorderObjectTest, CheckPasswordByteImages)
{
    auto recorder = Make(0);
    auto sent = [] { return LastRequest(cmdCheckPassword); };

    ScriptedLink().Replies[cmdCheckPassword] = {0x55};
    EXPECT_TRUE(recorder->CheckPassword(QString()));
    EXPECT_EQ(sent(), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));

    EXPECT_TRUE(recorder->CheckPassword(QStringLiteral("ab")));
    EXPECT_EQ(sent(), (Bytes{'a', 'b', 0, 0xFF, 0xFF, 0xFF, 0xFF}));

    // A wrong longer password first must not leave its tail behind.
    ScriptedLink().Replies[cmdCheckPassword] = {0};
    EXPECT_FALSE(recorder->CheckPassword(QStringLiteral("abcdef")));
    EXPECT_EQ(sent(), (Bytes{'a', 'b', 'c', 'd', 'e', 'f', 0}));
    EXPECT_EQ(Fields(*recorder).FAccessGranted, 0);
    ScriptedLink().Replies[cmdCheckPassword] = {0xFF};
    EXPECT_TRUE(recorder->CheckPassword(QStringLiteral("ab")));
    EXPECT_EQ(sent(), (Bytes{'a', 'b', 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Fields(*recorder).FSettings.Password, PasswordBytes(QStringLiteral("ab")));

    // Seven characters fill the field; the terminator goes into its last byte.
    EXPECT_TRUE(recorder->CheckPassword(QStringLiteral("abcdefgh")));
    EXPECT_EQ(sent(), (Bytes{'a', 'b', 'c', 'd', 'e', 'f', 'g'}));

    ScriptedLink().Failing = {cmdCheckPassword};
    EXPECT_THROW(recorder->CheckPassword(QStringLiteral("ab")), TERecXchange);
}

TEST_F(RecorderObjectTest, SimpleCommandsAndFlags)
{
    auto recorder = Make(0);
    const SYSTEMTIME when{2025, 6, 0, 1, 8, 0, 0, 0};
    EXPECT_EQ(recorder->SetRecorderTime(when), 0);
    EXPECT_EQ(LastRequest(cmdSetRtc), U32(SystemTimeToRtc(when)));
    EXPECT_EQ(recorder->ResetToDefaults(), 0);
    EXPECT_EQ(recorder->ResetDefaultsNoErase(), 0);
    EXPECT_EQ(ScriptedLink().Log, (Log{"cmd 2", "cmd 65", "cmd 80"}));
    EXPECT_EQ(LastRequest(cmdSetDefault), Bytes{});

    // Two equal SetSkipSilence calls set the flag once.
    Fields(*recorder).FContentChanged = 0;
    recorder->SetSkipSilence(true);
    EXPECT_TRUE(recorder->IsContentChanged());
    Fields(*recorder).FContentChanged = 0;
    recorder->SetSkipSilence(true);
    EXPECT_FALSE(recorder->IsContentChanged());
    EXPECT_TRUE(recorder->GetSkipSilence());

    // Enabling again forgets the password.
    recorder->SetEnabled(false);
    Fields(*recorder).FSettings.Password = PasswordBytes(QStringLiteral("x"));
    recorder->SetEnabled(false);
    EXPECT_EQ(Fields(*recorder).FSettings.Password, PasswordBytes(QStringLiteral("x")));
    recorder->SetEnabled(true);
    EXPECT_EQ(Fields(*recorder).FSettings.Password, NoPasswordBytes);

    Fields(*recorder).FFreeBytes = 123456789012;
    EXPECT_EQ(recorder->GetFreeMemory(), 123456789012);
    EXPECT_EQ(recorder->GetUnusedMemory(), 123456789012);

    recorder->SetHiddenSettingsVisible(true);
    EXPECT_TRUE(m_host.HiddenVisible);
}

TEST_F(RecorderObjectTest, RecordTimeLeftUsesTheCurrentProfileAndFreeBlocks)
{
    auto recorder = Make(0);
    Fields(*recorder).FPagesPerBlock = 128;
    Fields(*recorder).FPageSize = 2048;
    for (int i = 0; i < 10; ++i)
        Fields(*recorder).FFreeBlocks->Add(std::make_unique<TBlockRecord>());
    Fields(*recorder).FSettings.CurrentProfile = 1;
    Fields(*recorder).FSettings.Profiles[1].SampleRate = 8000;
    EXPECT_EQ(recorder->GetRecordTimeLeft(), 163u);  // 10 x 16.364 s
    Fields(*recorder).FSettings.Profiles[1].Compress = 2;
    Fields(*recorder).FSettings.Profiles[1].CompressParam = 1;
    EXPECT_EQ(recorder->GetRecordTimeLeft(), 1307u);  // 10 x 130.785 s
}

// Exactly the bytes of the largest flash-drive file the free blocks take;
// a flash-drive upload needs the free blocks of a fresh scan.
TEST_F(RecorderObjectTest, FlashDriveRoomAndUploadAfterAChange)
{
    auto recorder = Make(0);
    Fields(*recorder).FPagesPerBlock = 128;
    Fields(*recorder).FPageSize = 2112;
    Fields(*recorder).FFreeBytes = 123456789012;
    EXPECT_EQ(recorder->GetFreeDriveMemory(), 0);
    for (int i = 0; i < 3; ++i)
        Fields(*recorder).FFreeBlocks->Add(std::make_unique<TBlockRecord>());
    EXPECT_EQ(recorder->GetFreeDriveMemory(), 3 * (2024 * 128 - 64) - (2024 - 64));

    ASSERT_TRUE(recorder->IsContentChanged());
    EXPECT_THROW(recorder->StartDriveFileUpload(QStringLiteral("a"), INVALID_HANDLE_VALUE, SYSTEMTIME{}),
                 std::logic_error);
    EXPECT_EQ(recorder->GetState(), rsIdle);
}

TEST_F(RecorderObjectTest, UploadSizeAndFormatChoice)
{
    auto recorder = Make(0);
    FixedWaveSource mono({kWaveFormatPcm, 1, 16000, 16, 3ull << 30});
    EXPECT_EQ(recorder->GetUploadSize(&mono), -1);  // no geometry yet
    Fields(*recorder).FPagesPerBlock = 128;
    Fields(*recorder).FPageSize = 2048;
    // Blocks of 991 + 127 x 1023 PCM samples, counted as the free memory counts them.
    EXPECT_EQ(recorder->GetUploadSize(&mono), std::int64_t{12304} * (128 * 2048 - 64));
    EXPECT_EQ(recorder->GetUploadSize(nullptr), -1);

    m_host.ChooseAccepts = false;
    EXPECT_EQ(recorder->ChooseUploadFormat(), -1);
    EXPECT_EQ(Fields(*recorder).FUploadCompress, 0);

    m_host.ChooseAccepts = true;
    m_host.ChosenCompress = 2;
    m_host.ChosenParam = 2;
    EXPECT_EQ(recorder->ChooseUploadFormat(), 0);
    EXPECT_EQ(Fields(*recorder).FUploadCompress, 2);
    EXPECT_EQ(Fields(*recorder).FUploadParam, 2);
    EXPECT_EQ(recorder->GetUploadSize(&mono), -1);  // no ADPCM at 16000 Hz
    FixedWaveSource narrow({kWaveFormatPcm, 1, 8000, 16, 4000});
    EXPECT_EQ(recorder->GetUploadSize(&narrow), 128 * 2048 - 64);
    m_host.ChooseAccepts = false;
    EXPECT_EQ(recorder->ChooseUploadFormat(), -1);
    EXPECT_EQ(m_host.SeenCompress, 2);  // the dialog starts from the current choice
    EXPECT_EQ(Fields(*recorder).FUploadParam, 2);
}

// The download slots run their jobs: a request the job cannot serve fails at
// once, on the seam, with its reason and without a command.
TEST_F(RecorderObjectTest, DownloadSlotsRunTheirJobsAndABadRequestFailsOnTheSeam)
{
    auto recorder = Make(0);
    recorder->StartDownload(1, 0, 0, nullptr);
    recorder->WaitForJob();
    EXPECT_EQ(recorder->LastJobOutcome(), TJobOutcome::Failed);
    EXPECT_FALSE(recorder->LastJobError().Text.isEmpty());
    recorder->StartDownloadPart(1, 1, 0, nullptr);
    recorder->WaitForJob();
    EXPECT_EQ(recorder->LastJobOutcome(), TJobOutcome::Failed);
    EXPECT_TRUE(recorder->IsContentChanged());
    EXPECT_TRUE(ScriptedLink().Log.empty());
}

TEST_F(RecorderObjectTest, DebugLogSlotSetsTheLevelAndWritesTheBanner)
{
    ResetDebugLog();
    DebugLogState().FileName = m_dir.File("debug.log");
    auto recorder = Make(0);
    recorder->SetDebugLog(1);
    EXPECT_EQ(DebugLogState().DebugLevel, 1);
    QFile file(QString::fromStdString(m_dir.File("debug.log")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count("\r\n"), 5);
    recorder.reset();
    ResetDebugLog();
}

TEST_F(RecorderObjectTest, PresetsLoadUnderTheLanguageOfConstruction)
{
    QFile quality(QString::fromStdString(m_dir.File("ZEL4_req.ini")));
    ASSERT_TRUE(quality.open(QIODevice::WriteOnly));
    quality.write("[Low]\r\n1049=Nizkoe\r\nBitRate=4000\r\nCompress=2\r\nCompressParam=1\r\n[High]\r\nBitRate=16000\r\n");
    quality.close();
    QFile vas(QString::fromStdString(m_dir.File("ZEL4_vas.ini")));
    ASSERT_TRUE(vas.open(QIODevice::WriteOnly));
    vas.write("[Calm]\r\nT1=1\r\n");
    vas.close();

    QFile russian(QString::fromStdString(m_dir.File("Trellavox_ru.lng")));
    ASSERT_TRUE(russian.open(QIODevice::WriteOnly));
    russian.write("LANGID=1049\r\n");
    russian.close();
    ASSERT_TRUE(LangManager().AddLangFile(russian.fileName()));
    LangManager().SetActiveLangID(1049);
    auto recorder = Make(0);
    LangManager().SetActiveLangID(1033);  // a later switch does not rename the loaded presets
    LoadQualityPresets(*recorder);
    ASSERT_EQ(Fields(*recorder).FQualityPresets->Count(), 2);
    EXPECT_EQ(Fields(*recorder).FQualityPresets->GetItem(0)->Name, QStringLiteral("Nizkoe"));
    ASSERT_EQ(Fields(*recorder).FVasPresets->Count(), 1);
    EXPECT_EQ(Fields(*recorder).FVasPresets->GetItem(0)->Params.T1, 4);

    TRecordProfile high;
    high.SampleRate = 16000;
    EXPECT_EQ(FindQualityPreset(*recorder, high), 1);
    EXPECT_EQ(FindVasPreset(*recorder, Fields(*recorder).FVasPresets->GetItem(0)->Params), 0);
    EXPECT_THROW(Fields(*recorder).FVasPresets->GetItem(1), std::out_of_range);
}

TEST_F(RecorderObjectTest, CreateAndDestroyThroughTheExports)
{
    TCustomRecorder* recorder = CreateRecorder(3);
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(Fields(*dynamic_cast<TRecorder*>(recorder)).FConnectType, 3u);
    EXPECT_EQ(recorder->GetState(), rsIdle);
    DestroyRecorder(recorder);
    DestroyRecorder(nullptr);
}

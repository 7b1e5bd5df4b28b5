// CreateRecorder over the three link families: the image emulator (types 1
// and 3), the FTDI adapter link over the fake D2XX library (0, 2, 4) and the
// device-library link over the simulated mailbox device (5).
#include <gtest/gtest.h>

#include <memory>

#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/links/LinkGeometry.h"
#include "core/links/image/DemoImage.h"
#include "core/links/image/ImageEmulator.h"
#include "core/links/usb/Q71Library.h"
#include "core/links/usb/Q71Link.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/RecInterface.h"
#include "core/recorder/Recorder.h"
#include "core/recorder/RecorderSettingsModel.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/ProgramOptions.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/core/FtdiTestFixture.h"
#include "tests/support/ImageBuilder.h"
#include "tests/support/InProcessQ71Library.h"
#include "tests/support/RecorderFields.h"
#include "tests/support/SimMailboxDevice.h"
#include "tests/support/SimMailboxFileIo.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/TempDir.h"

namespace {

struct RecorderDeleter {
    void operator()(TCustomRecorder* recorder) const { DestroyRecorder(recorder); }
};
using RecorderPtr = std::unique_ptr<TCustomRecorder, RecorderDeleter>;

RecorderPtr Create(int connectType)
{
    return RecorderPtr(CreateRecorder(connectType));
}

TRecorder& Object(const RecorderPtr& recorder)
{
    return dynamic_cast<TRecorder&>(*recorder);
}

constexpr SimRecorder::Password kAbPassword{'a', 'b', 0, 0xFF, 0xFF, 0xFF, 0xFF};

// Settings a recorder holds that the read must bring over.
void StoreSettingsIn(SimRecorder& sim)
{
    sim.SetSetting(cmdGetCurrentProfile, std::vector<std::uint8_t>{3});
    sim.SetProfile(3, {3, 0x40, 0x1F, 2, 1, 1, 0, 50});  // 8000 Hz, ADPCM 2-bit, VAS
    sim.SetSetting(cmdBatteryLevels, std::vector<std::uint8_t>{0, 0, 0x10, 0x0C, 0x30, 0x0C, 0x50, 0x0C});
}

void ExpectSettingsRead(TRecorder& recorder)
{
    EXPECT_EQ(Fields(recorder).FSettings.CurrentProfile, 3);
    EXPECT_EQ(Fields(recorder).FSettings.Profiles[3].SampleRate, 8000);
    EXPECT_EQ(Fields(recorder).FSettings.Profiles[3].Compress, 2);
    EXPECT_EQ(Fields(recorder).FSettings.Profiles[3].CompressParam, 1);
    EXPECT_EQ(Fields(recorder).FSettings.Profiles[3].CycleBufSize, 50);
    EXPECT_EQ(Fields(recorder).FSettings.BatteryLevels[1], 0x0C10);
    EXPECT_EQ(Fields(recorder).FSettings.BatteryLevels[3], 0x0C50);
}

// Connect, check the password the way the main window does, read the
// status; the refresh gets as far as the scan.
void ConnectAndCheck(TCustomRecorder& recorder)
{
    ASSERT_TRUE(recorder.CheckConnection());
    EXPECT_FALSE(recorder.CheckPassword(QStringLiteral("abcdef")));
    EXPECT_TRUE(recorder.CheckPassword(QStringLiteral("ab")));
    ASSERT_TRUE(recorder.CheckConnection());  // now with the status
    recorder.RefreshContent();
    dynamic_cast<TRecorder&>(recorder).WaitForJob();
    EXPECT_EQ(recorder.GetState(), rsIdle);
    EXPECT_EQ(dynamic_cast<TRecorder&>(recorder).LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_FALSE(recorder.IsContentChanged());
}

}  // namespace

class RecorderEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
        SetDocumentsFolderOverride(QString::fromStdString(m_dir.Path().string()));
    }
    void TearDown() override { ResetProcessState(); }

    TempDir m_dir;
    FakeRecorderHost m_host;
};

TEST_F(RecorderEndToEndTest, ImageFileConnection)
{
    const std::string path = m_dir.File("saved.qdm");
    ImageBuilder()
        .Geometry(512, 16, 4)
        .Blocks(8)
        .FirstDataBlock(2)
        .Firmware(12, 3)
        .SerialNumber(4200000001u)
        .Password({'a', 'b', 0, 0xFF, 0xFF, 0xFF, 0xFF})
        .HeaderByte(0x17D + 2, 0x10)  // battery level 1 = 0x0C10
        .HeaderByte(0x17D + 3, 0x0C)
        .Write(path);

    RecorderPtr recorder = Create(ctImageFile);
    recorder->SetImageFile(QString::fromStdString(path));
    EXPECT_EQ(recorder->GetImageFile(), QString::fromStdString(path));
    ConnectAndCheck(*recorder);

    TRecorder& object = Object(recorder);
    EXPECT_EQ(Fields(object).FPagesPerBlock, 4);
    EXPECT_EQ(Fields(object).FPageSize, 528);  // the image link answers its page stride
    EXPECT_EQ(Fields(object).FFirstDataBlock, 2);
    EXPECT_EQ(recorder->GetFirmwareVersion(), 0x0C03);
    EXPECT_EQ(recorder->GetHardwareVariant(), 4);
    EXPECT_EQ(recorder->GetSerialNumber(), QStringLiteral("4200000001"));
    EXPECT_EQ(Fields(object).FSettings.BatteryLevels[1], 0x0C10);
    EXPECT_EQ(recorder->GetSupplyVoltage(), 3050);
    EXPECT_EQ(recorder->GetRecorderTime().wYear, 1970);
}

TEST_F(RecorderEndToEndTest, DemoConnectionCreatesItsImage)
{
    RecorderPtr recorder = Create(ctDemo);
    const QString path = DemoImagePath(GetDocumentsFolder());
    recorder->SetImageFile(path);
    EXPECT_TRUE(QFile::exists(path));
    ASSERT_TRUE(recorder->CheckConnection());
    EXPECT_TRUE(recorder->CheckPassword(QString()));  // a fresh image has no password
    recorder->RefreshContent();
    Object(recorder).WaitForJob();
    EXPECT_EQ(Object(recorder).LastJobOutcome(), TJobOutcome::Completed);

    TRecorder& object = Object(recorder);
    EXPECT_EQ(Fields(object).FChipCount, 1);
    EXPECT_EQ(Fields(object).FBlocksPerChip, 64);
    EXPECT_EQ(Fields(object).FPagesPerBlock, 128);
    EXPECT_EQ(Fields(object).FPageSize, 2112);
    EXPECT_EQ(recorder->GetFirmwareVersion() >> 8, 10);
    EXPECT_EQ(recorder->GetHardwareVariant(), 2);
    ASSERT_TRUE(recorder->CheckConnection());
    EXPECT_EQ(recorder->GetSupplyVoltage(), 3050);
}

class RecorderOverAdapterTest : public FtdiLinkFixture, public ::testing::WithParamInterface<int> {
protected:
    RecorderOverAdapterTest()
    {
        ResetProgramOptions();
        SetProgramFolderOverride(QString::fromStdString(temp.Path().string()));
        DebugLogState().DebugLevel = 0;
    }
    ~RecorderOverAdapterTest() override
    {
        ResetLink();
        SetProgramFolderOverride(QString());
    }
    FakeRecorderHost m_host;
};

TEST_P(RecorderOverAdapterTest, ConnectsReadsAndChecksThePassword)
{
    const int type = GetParam();
    sim.SetFirmwareVersion(9, 1);
    sim.SetSerialNumber(987654);
    sim.SetVoltage(2000);
    sim.SetClock(SystemTimeToRtc(SYSTEMTIME{2026, 12, 0, 10, 9, 30, 15, 0}));
    sim.SetPassword(kAbPassword);
    StoreSettingsIn(sim);

    RecorderPtr recorder = Create(type);
    ConnectAndCheck(*recorder);
    // Only the USB 2.0 adapter reads the geometry when it connects; the
    // refresh reads it for every type.
    EXPECT_EQ(sim.CommandCount(cmdGetFlashParam), type == ctUsb20Adapter ? 2u : 1u);

    TRecorder& object = Object(recorder);
    EXPECT_EQ(Fields(object).FChipCount, 1);
    EXPECT_EQ(Fields(object).FBlocksPerChip, 64);
    EXPECT_EQ(Fields(object).FPagesPerBlock, 128);
    EXPECT_EQ(Fields(object).FPageSize, 2112);
    EXPECT_EQ(Fields(object).FFirstDataBlock, 1);
    EXPECT_EQ(recorder->GetFirmwareVersion(), 0x0901);
    EXPECT_EQ(recorder->GetHardwareVariant(), 1);
    EXPECT_EQ(recorder->GetSerialNumber(), QStringLiteral("987654"));
    ExpectSettingsRead(object);
    const SYSTEMTIME clock = recorder->GetRecorderTime();
    EXPECT_EQ(clock.wYear, 2026);
    EXPECT_EQ(clock.wMinute, 30);
    EXPECT_EQ(recorder->GetSupplyVoltage(), 2000);
    // 2000 x 4095 / 5000 = 1638 on firmware 9: below every threshold.
    EXPECT_EQ(recorder->GetBatteryLevel(), 0);

    // The store goes to the recorder by commands and is read back.
    Fields(object).FSettings.Profiles[3].CycleBufSize = 70;
    object.StoreRecorderSettings();
    EXPECT_EQ(sim.StoredProfile(3)[7], 70);
    EXPECT_EQ(sim.StoredPassword(), kAbPassword);

    // The settings dialog's model: a copy out, a store in, the estimate.
    const std::unique_ptr<TRecorderSettingsModel> model = MakeRecorderSettingsModel(*recorder);
    ASSERT_NE(model, nullptr);
    TRecorderSettings edited = model->Settings();
    EXPECT_EQ(edited.Profiles[3].CycleBufSize, 70);
    edited.Profiles[3].CycleBufSize = 71;
    EXPECT_EQ(object.Settings().Profiles[3].CycleBufSize, 70) << "a copy until stored";
    model->Store(edited);
    EXPECT_EQ(sim.StoredProfile(3)[7], 71);
    EXPECT_EQ(model->Settings(), edited);
    EXPECT_EQ(model->RecordTime(edited.Profiles[3]), recorder->GetRecordTimeLeft());
    EXPECT_EQ(&model->QualityPresets(), &object.QualityPresets());
    EXPECT_EQ(&model->VasPresets(), &object.VasPresets());

    // A store the recorder breaks off leaves the object's record as it was,
    // not holding values the recorder never took.
    const TRecorderSettings held = model->Settings();
    TRecorderSettings failing = held;
    failing.Profiles[3].CycleBufSize = 72;
    failing.Vas.T1 = 99;
    sim.InjectFault({SimFaultKind::Fail, 0, SimFault::kEveryTime, cmdSetVas});
    EXPECT_THROW(model->Store(failing), TERecXchange);
    EXPECT_EQ(model->Settings(), held);
}

INSTANTIATE_TEST_SUITE_P(AdapterTypes, RecorderOverAdapterTest,
                         ::testing::Values(ctUsb11Adapter, ctUsb20Adapter, ctUsb20SpiAdapter),
                         [](const auto& info) {
                             return "ConnectType" + std::to_string(static_cast<int>(info.param));
                         });

TEST_F(RecorderEndToEndTest, MassStorageConnection)
{
    SimGeometry geometry;
    geometry.blocksPerChip = 256;
    geometry.pagesPerBlock = 64;
    SimRecorder sim(geometry, SimPageStride::PageOnly);
    sim.SetReportedBlockCount(256);
    sim.SetFirmwareVersion(13, 0);
    sim.SetSerialNumber(55);
    sim.SetVoltage(3300);
    sim.SetPassword(kAbPassword);
    StoreSettingsIn(sim);
    SimMailboxDevice device(&sim, 2048);
    SimMailboxFileIo files;
    files.AddCandidate("/media/rec/service.dat", &device);
    ResetQ71Link();
    SetQ71Library(InProcessQ71Library());

    {
        RecorderPtr recorder = Create(ctMassStorage);
        ConnectAndCheck(*recorder);
        TRecorder& object = Object(recorder);
        EXPECT_EQ(Fields(object).FPagesPerBlock, 64);
        EXPECT_EQ(Fields(object).FPageSize, 2048);  // the page size itself on this link
        EXPECT_EQ(Fields(object).FBlocksPerChip, 256);
        EXPECT_EQ(recorder->GetFirmwareVersion(), 0x0D00);
        EXPECT_EQ(recorder->GetHardwareVariant(), 5);
        EXPECT_EQ(recorder->GetSerialNumber(), QStringLiteral("55"));
        ExpectSettingsRead(object);
        EXPECT_EQ(recorder->GetSupplyVoltage(), 3300);
    }
    ResetQ71Library();
    ResetQ71Link();
}

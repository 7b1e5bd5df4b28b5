// The program's connect path over a recorder whose last upload was cut: the
// window shows one message before the content, and never again.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <memory>

#include <QAction>

#include "app/connection/ConnectionController.h"
#include "app/lists/ContentListsController.h"
#include "app/lists/RecordList.h"
#include "core/flash/SoundFileList.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/MessageBoxCodes.h"
#include "core/settings/MainSettingsFile.h"
#include "core/transfer/UploadJournal.h"
#include "tests/app/SimWindowFixture.h"
#include "tests/support/ContentBuilder.h"

using CutUploadConnectTest = SimWindowFixture;

TEST_F(CutUploadConnectTest, TheConnectTellsACutUploadOnceBeforeTheContent)
{
    sim.SetSerialNumber(31337);
    ContentBuilder builder(ContentGeometry::Of(sim));
    RecordingSpec recording;
    recording.number = 4;
    recording.blockCount = 1;
    builder.AddRecording(recording);
    builder.WriteTo(sim);
    TUploadJournal journal;
    journal.Serial = QStringLiteral("31337");
    journal.Source = QStringLiteral("/home/user/calls/monday.wav");
    journal.Record = 4;
    journal.Stamp = recording.start;
    journal.Total = 600 * 8000;
    journal.Rate = 8000;
    SaveUploadJournal(journal);
    const QString path = UploadJournalPath(journal);
    ASSERT_TRUE(QFileInfo(path).absolutePath().startsWith(HomePath()));

    ASSERT_NO_FATAL_FAILURE(ConnectSim(3));
    Pass();
    ASSERT_TRUE(connection->FConnected);
    const TSoundFileList& files = *connection->Recorder()->GetSoundFiles();
    ASSERT_EQ(files.Count(), 1);
    const std::uint32_t seconds = files.Item(0)->Length;
    ASSERT_LT(seconds, 600u);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text,
              QStringLiteral("The upload of /home/user/calls/monday.wav was cut off: record 4 holds %1 s of 600 s.")
                  .arg(seconds));
    EXPECT_EQ(boxes.Boxes[0].Flags, MB_ICONWARNING);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(window->Lists().RecordList().Count(), 1);

    ReconnectTellsNothingMore();
}

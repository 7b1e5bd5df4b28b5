// A download through the main window's job runner, status window and
// Cancel button.
#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>

#include "app/actions/GuiTransferUi.h"
#include "app/dialogs/StatusWindow.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "audio/DownloadToFile.h"
#include "core/flash/SoundFileInfo.h"
#include "core/recorder/ProcessState.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/ScriptedDownloadRecorder.h"
#include "tests/support/TempDir.h"

class GuiTransferUiTest : public ::testing::Test {
protected:
    GuiTransferUiTest() : m_lock(m_window, m_panel), m_operation(m_lock), m_status(&m_operation, &m_window)
    {
        ResetProcessState();
        m_operation.SetStatusWindow(&m_status);
        m_item.Number = 4;
        m_item.NumberText = QStringLiteral("4");
        m_item.Format = TPcmWaveFormat::Mono16(8000);
        m_item.Length = 10;
        m_item.Status = 0xFF;
        m_recorder.Plan.Bytes = SineBytes(40000, 25, 5000);
        m_recorder.Plan.Pieces = MixedPieces(m_recorder.Plan.Bytes.size());
    }
    ~GuiTransferUiTest() override { ResetProcessState(); }

    QString Target() const { return QString::fromStdString(m_dir.File("rec.wav")); }

    TempDir m_dir;
    FakeRecorderHost m_host;
    QMainWindow m_window;
    QWidget m_panel;
    TMainUiLock m_lock;
    TLongOperation m_operation;
    TfrmStatus m_status;
    TGuiTransferUi m_ui{m_operation};
    ScriptedDownloadRecorder m_recorder;
    TSoundFileInfo m_item;
};

TEST_F(GuiTransferUiTest, DownloadShowsItsLineAndCompletes)
{
    EXPECT_TRUE(DownloadRecordToFile(&m_recorder, Target(), &m_item, 10, 0, m_ui));
    EXPECT_EQ(m_status.lbStatus->text(), QStringLiteral("Downloading record 4"));
    EXPECT_TRUE(QFile::exists(Target()));
    EXPECT_FALSE(m_ui.CancelRequested());
    EXPECT_FALSE(m_lock.IsLocked());
}

TEST_F(GuiTransferUiTest, CancelButtonStopsTheDownloadAndDeletesTheFile)
{
    m_recorder.Plan.WaitForAbort = true;
    QTimer::singleShot(20, &m_status, [this] { m_status.Button1->click(); });
    EXPECT_FALSE(DownloadRecordToFile(&m_recorder, Target(), &m_item, 10, 0, m_ui));
    EXPECT_TRUE(m_ui.CancelRequested());
    EXPECT_EQ(m_recorder.LastJobOutcome(), TJobOutcome::Aborted);
    EXPECT_FALSE(QFile::exists(Target()));
}

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QTest>
#include <QToolTip>
#include <QTreeView>

#include "app/lists/ContentListsController.h"
#include "app/lists/DriveListView.h"
#include "app/lists/FileList.h"
#include "app/lists/RecordList.h"
#include "app/lists/RecordListModel.h"
#include "app/lists/RecordListView.h"
#include "app/lists/ViewSelection.h"
#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/recorder/Recorder.h"
#include "core/settings/ProgramOptions.h"
#include "tests/app/lists/DemoContent.h"
#include "tests/support/TempDir.h"

namespace {

// The demo recorder object with the status command recorded.
class StatusRecorder : public TRecorder {
public:
    using TRecorder::TRecorder;

    void SetSoundFileStatus(std::uint16_t record, std::uint8_t status) override { Calls.emplace_back(record, status); }

    std::vector<std::pair<std::uint16_t, std::uint8_t>> Calls;
};

QStringList Column(const QAbstractItemModel& model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, column).data().toString().trimmed();
    return texts;
}

// The content lists on plain widgets over the recorder object of a demo
// image.
class ContentListsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramOptions();
        ProgramOptions.ConnectType = ctDemo;
        const std::string path = m_dir.File("demo.qdm");
        WriteDemoContentImage(path);
        recorder = std::make_unique<StatusRecorder>(ctDemo);
        recorder->SetImageFile(QString::fromStdString(path));
        ASSERT_TRUE(recorder->CheckConnection());
        ASSERT_TRUE(recorder->CheckPassword(QString()));

        for (QAction** action : {&showRec, &showDrv, &levelUp})
            *action = new QAction(&menu);
        TContentListsUi ui;
        ui.LvRecContent = &recView;
        ui.LvDrvContent = &drvView;
        ui.CbexRecLocation = &combo;
        ui.ActShowRec = showRec;
        ui.ActShowDrv = showDrv;
        ui.ActDrvLevelUp = levelUp;
        ui.PopupMenu2 = &menu;
        ui.StatusKeyAllowed = [this] { return ProgramOptions.ConnectType == ctDemo || diag; };
        ui.Recorder = [this]() -> TCustomRecorder* { return recorder.get(); };
        ui.Connected = [] { return true; };
        lists = std::make_unique<TContentListsController>(ui);
        Refresh();
    }

    void TearDown() override
    {
        lists.reset();
        recorder.reset();
        ResetLink();
        ResetProgramOptions();
    }

    void Refresh()
    {
        lists->ClearContent();
        recorder->RefreshContent();
        recorder->WaitForJob();
        lists->FillContent(*recorder);
    }

    QStringList Records() const { return Column(*recView.model(), 0); }
    QStringList DriveNames() const { return Column(*drvView.model(), 0); }
    QStringList ComboTexts() const
    {
        QStringList texts;
        for (int i = 0; i < combo.count(); ++i)
            texts << combo.itemText(i);
        return texts;
    }
    void SelectDriveRow(const char* name)
    {
        drvView.clearSelection();
        const int row = static_cast<int>(DriveNames().indexOf(QLatin1String(name)));
        ASSERT_GE(row, 0) << name;
        SelectRows(drvView, {row});
    }

    TempDir m_dir;
    std::unique_ptr<StatusRecorder> recorder;
    QTreeView recView;
    QTreeView drvView;
    QComboBox combo;
    QMenu menu;
    QAction* showRec = nullptr;
    QAction* showDrv = nullptr;
    QAction* levelUp = nullptr;
    bool diag = false;
    std::unique_ptr<TContentListsController> lists;
};

}  // namespace

TEST_F(ContentListsTest, VoicePartsShownAndHiddenAndDateSorting)
{
    EXPECT_EQ(Records(), (QStringList{"1", "2", "3"}));
    ProgramOptions.ShowVoiceParts = true;
    Refresh();
    EXPECT_EQ(Records(), (QStringList{"1", "1.1", "1.2", "2", "3", "3.1", "3.2"}));

    emit recView.header()->sectionClicked(TRecordListModel::colDate);
    EXPECT_EQ(Records(), (QStringList{"3", "3.1", "3.2", "1", "1.1", "1.2", "2"}));
    emit recView.header()->sectionClicked(TRecordListModel::colDate);
    EXPECT_EQ(Records(), (QStringList{"2", "1", "1.1", "1.2", "3", "3.1", "3.2"}));
    // A refresh keeps the chosen order.
    Refresh();
    EXPECT_EQ(Records().first(), QStringLiteral("2"));
}

TEST_F(ContentListsTest, FlashDriveFoldersThroughKeysAndTheCombo)
{
    EXPECT_EQ(ComboTexts(), (QStringList{"Records"}));
    showDrv->trigger();
    EXPECT_TRUE(lists->DriveView());
    EXPECT_TRUE(showDrv->isChecked());
    EXPECT_FALSE(showRec->isChecked());
    EXPECT_FALSE(levelUp->isEnabled());
    EXPECT_EQ(ComboTexts(), (QStringList{"Flash Drive"}));
    EXPECT_EQ(DriveNames(), (QStringList{"SUB", "ROOT.TXT"}));

    SelectDriveRow("SUB");
    QTest::keyClick(&drvView, Qt::Key_Return);
    EXPECT_EQ(DriveNames(), (QStringList{"DEEP", "INNER.BIN"}));
    EXPECT_EQ(ComboTexts(), (QStringList{"Flash Drive", "SUB"}));
    EXPECT_TRUE(levelUp->isEnabled());
    SelectDriveRow("DEEP");
    QTest::keyClick(&drvView, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(DriveNames(), (QStringList{"X.TXT"}));
    EXPECT_EQ(Column(*drvView.model(), 1), (QStringList{"2 KB"}));
    EXPECT_EQ(ComboTexts(), (QStringList{"Flash Drive", "SUB", "DEEP"}));

    combo.setCurrentIndex(1);
    EXPECT_EQ(DriveNames(), (QStringList{"DEEP", "INNER.BIN"}));
    QTest::keyClick(&drvView, Qt::Key_Backspace);
    EXPECT_EQ(DriveNames(), (QStringList{"SUB", "ROOT.TXT"}));
    EXPECT_FALSE(levelUp->isEnabled());

    // The drive files hold the index of the recorder's entry.
    EXPECT_EQ(lists->DriveFiles().Items(2)->DriveFileIndex, 2);
    EXPECT_EQ(lists->DriveFiles().Items(2)->Path, QStringLiteral("\\SUB\\"));

    // Disabled by the settings, the drive view falls back to the records.
    ProgramOptions.DisableFlashDrive = true;
    lists->UpdateActions();
    EXPECT_FALSE(showDrv->isEnabled());
    EXPECT_FALSE(lists->DriveView());
    EXPECT_TRUE(showRec->isChecked());
    EXPECT_EQ(ComboTexts(), (QStringList{"Records"}));

    // The settings dialog's options: hidden gives way to the records too.
    ProgramOptions.DisableFlashDrive = false;
    lists->ShowDriveView();
    ASSERT_TRUE(lists->DriveView());
    lists->SetDriveViewOptions(false, true);
    EXPECT_FALSE(showDrv->isVisible());
    EXPECT_FALSE(lists->DriveView());
    lists->SetDriveViewOptions(true, false);
    EXPECT_TRUE(showDrv->isVisible());
    EXPECT_FALSE(showDrv->isEnabled());
}

TEST_F(ContentListsTest, CtrlSMarksTheRecordingInTheDemoAndWithDiagOnly)
{
    using Call = std::pair<std::uint16_t, std::uint8_t>;
    ProgramOptions.ShowVoiceParts = true;
    Refresh();
    SelectRows(recView, {2});  // part 1.2
    QTest::keyClick(&recView, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(recorder->Calls, (std::vector<Call>{{1, 0xFF}})) << "the recording of the part";

    // Another connection without "diag": the key does nothing.
    ProgramOptions.ConnectType = ctMassStorage;
    recView.clearSelection();
    SelectRows(recView, {4});  // recording 3
    QTest::keyClick(&recView, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(recorder->Calls.size(), 1u);
    EXPECT_EQ(SelectedRows(recView), (std::vector<int>{4})) << "nor does the view react";
    diag = true;
    QTest::keyClick(&recView, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(recorder->Calls.back(), (Call{3, 0xFF}));
}

// Every scan frees the recorder's recordings and drive files and makes them
// anew. Rows, the selection, the tool tip, sorting and the group key must
// not reach into the freed lists, even before anyone refills the views
// (the sanitizers see any such read).
TEST_F(ContentListsTest, ARescanUnderASelectedRowAndItsToolTipLeavesNoDanglingRow)
{
    ProgramOptions.ShowVoiceParts = true;
    Refresh();
    recView.resize(600, 300);
    recView.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&recView));
    SelectRows(recView, {2});  // part 1.2
    lists->Records().CollectSelectedRecords(lists->RecordSelection());
    const QPoint at = recView.visualRect(recView.model()->index(2, 0)).center();
    QHelpEvent help(QEvent::ToolTip, at, recView.viewport()->mapToGlobal(at));
    QApplication::sendEvent(recView.viewport(), &help);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 2000));
    const QString tip = QToolTip::text();
    EXPECT_TRUE(tip.contains(QStringLiteral("1.2")));

    recorder->RefreshContent();
    recorder->WaitForJob();

    EXPECT_EQ(recView.model()->index(2, 0).data(Qt::ToolTipRole).toString(), tip);
    QTest::keyClick(&recView, Qt::Key_A, Qt::ControlModifier);  // the parts of recording 1
    EXPECT_EQ(SelectedRows(recView), (std::vector<int>{1, 2}));
    emit recView.header()->sectionClicked(TRecordListModel::colDate);  // parts compared with their recording
    EXPECT_EQ(Records(), (QStringList{"3", "3.1", "3.2", "1", "1.1", "1.2", "2"}));
    ASSERT_EQ(lists->RecordSelection().Count(), 1);
    EXPECT_EQ(lists->RecordSelection().Items(0)->NumberText, QStringLiteral("1.2"));
    EXPECT_EQ(lists->RecordSelection().Items(0)->RecordNumber, 1);
    showDrv->trigger();
    EXPECT_EQ(DriveNames(), (QStringList{"SUB", "ROOT.TXT"}));
    QToolTip::hideText();

    // The refill after the scan shows the same content.
    lists->FillContent(*recorder);
    EXPECT_EQ(DriveNames(), (QStringList{"SUB", "ROOT.TXT"}));
    showRec->trigger();
    EXPECT_EQ(Records(), (QStringList{"3", "3.1", "3.2", "1", "1.1", "1.2", "2"}));
}

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <QTreeView>

#include "app/lists/ContentListsController.h"
#include "app/lists/DriveListModel.h"
#include "app/lists/FileList.h"
#include "app/lists/RecordListModel.h"
#include "app/lists/ViewSelection.h"
#include "core/flash/SoundFileList.h"
#include "core/recorder/Recorder.h"
#include "core/settings/StagedFile.h"
#include "core/transfer/BlockRecoveryFile.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/lists/DemoContent.h"

namespace {

using TStatusCall = std::pair<std::uint16_t, std::uint8_t>;
std::vector<TStatusCall> g_statusCalls;

// The recorder object of the program with the status command recorded.
class StatusRecorder : public TRecorder {
public:
    using TRecorder::TRecorder;

    void SetSoundFileStatus(std::uint16_t record, std::uint8_t status) override
    {
        g_statusCalls.emplace_back(record, status);
    }
};

QStringList Captions(const QTreeView& view)
{
    QStringList texts;
    for (int row = 0; row < view.model()->rowCount(); ++row)
        texts << view.model()->index(row, 0).data().toString().trimmed();
    return texts;
}

}  // namespace

// The main window connected in demo mode to a demo image with recordings,
// voice parts and flash-drive folders.
class RecorderListsGuiTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        g_statusCalls.clear();
        connection->SetRecorderFactory([](int type) -> TCustomRecorder* { return new StatusRecorder(type); },
                                       [](TCustomRecorder* recorder) { delete recorder; });
        WriteDemoContentImage((DocumentsPath() + QStringLiteral("ZEL4_DEMO.QDM")).toStdString());
    }

    void Connect(int connectType = 3)
    {
        StartWith(connectType);
        if (connectType == 1)
            ProgramOptions.ImageFileName = DocumentsPath() + QStringLiteral("ZEL4_DEMO.QDM");
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        Pass();
        Pass();
        ASSERT_TRUE(connection->FConnected);
        window->Lists().UpdateActions();
    }

    void ClickHeader(QTreeView* view, int column)
    {
        QHeaderView* header = view->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    QStringList ComboTexts() const
    {
        QStringList texts;
        for (int i = 0; i < window->cbexRecLocation->count(); ++i)
            texts << window->cbexRecLocation->itemText(i);
        return texts;
    }

    void SelectRow(QTreeView* view, const char* caption)
    {
        view->clearSelection();
        const int row = static_cast<int>(Captions(*view).indexOf(QLatin1String(caption)));
        ASSERT_GE(row, 0) << caption;
        SelectRows(*view, {row});
    }
};

TEST_F(RecorderListsGuiTest, VoicePartsShownAndHiddenAndDateClickedTwice)
{
    Connect();
    QTreeView* records = window->lvRecContent;
    EXPECT_TRUE(records->isVisible());
    EXPECT_FALSE(window->lvDrvContent->isVisible());
    EXPECT_EQ(Captions(*records), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(ComboTexts(), (QStringList{"Records"}));

    ProgramOptions.ShowVoiceParts = true;
    window->actRecRefresh->trigger();
    EXPECT_EQ(Captions(*records), (QStringList{"1", "1.1", "1.2", "2", "3", "3.1", "3.2"}));
    EXPECT_TRUE(records->model()->index(1, 0).data().toString().startsWith(QStringLiteral("     1.1")));
    const QString tip = records->model()->index(1, 0).data(Qt::ToolTipRole).toString();
    EXPECT_EQ(tip.count(QLatin1Char('\n')), 3);
    EXPECT_FALSE(tip.contains(QLatin1Char('\r')));

    ClickHeader(records, TRecordListModel::colDate);
    EXPECT_EQ(Captions(*records), (QStringList{"3", "3.1", "3.2", "1", "1.1", "1.2", "2"}));
    ClickHeader(records, TRecordListModel::colDate);
    EXPECT_EQ(Captions(*records), (QStringList{"2", "1", "1.1", "1.2", "3", "3.1", "3.2"}));
    EXPECT_EQ(records->header()->sortIndicatorOrder(), Qt::DescendingOrder);

    ProgramOptions.ShowVoiceParts = false;
    window->actRecRefresh->trigger();
    EXPECT_EQ(Captions(*records), (QStringList{"2", "1", "3"}));
}

// A sort moves the rows; the selection and the current row move with them,
// so an erase after a sort reaches the rows the user chose.
TEST_F(RecorderListsGuiTest, ASortKeepsTheSelectionOnItsRowsInBothLists)
{
    Connect();
    QTreeView* records = window->lvRecContent;
    const auto selected = [](const QTreeView& view) {
        QStringList captions;
        for (int row : SelectedRows(view))
            captions << Captions(view)[row];
        return captions;
    };
    SelectRow(records, "2");
    ClickHeader(records, TRecordListModel::colDate);
    ASSERT_EQ(Captions(*records), (QStringList{"3", "1", "2"}));
    EXPECT_EQ(selected(*records), (QStringList{"2"}));
    EXPECT_EQ(records->currentIndex().data().toString(), QStringLiteral("2"));
    ClickHeader(records, TRecordListModel::colDate);
    ASSERT_EQ(Captions(*records), (QStringList{"2", "1", "3"}));
    EXPECT_EQ(selected(*records), (QStringList{"2"}));

    window->actShowDrv->trigger();
    QTreeView* drive = window->lvDrvContent;
    SelectRow(drive, "ROOT.TXT");
    ClickHeader(drive, TDriveListModel::colName);
    ClickHeader(drive, TDriveListModel::colName);
    const QStringList order = Captions(*drive);
    ASSERT_EQ(order.size(), 2);
    EXPECT_EQ(selected(*drive), (QStringList{"ROOT.TXT"})) << order.join(' ').toStdString();
    EXPECT_EQ(drive->currentIndex().data().toString(), QStringLiteral("ROOT.TXT"));
}

TEST_F(RecorderListsGuiTest, EnterDoubleClickBackspaceAndTheComboMoveThroughFolders)
{
    Connect();
    EXPECT_FALSE(window->actDrvLevelUp->isEnabled()) << "records view";
    window->actShowDrv->trigger();
    QTreeView* drive = window->lvDrvContent;
    EXPECT_TRUE(window->Lists().DriveView());
    EXPECT_TRUE(drive->isVisible());
    EXPECT_FALSE(window->lvRecContent->isVisible());
    EXPECT_EQ(Captions(*drive), (QStringList{"SUB", "ROOT.TXT"}));
    EXPECT_EQ(drive->model()->index(0, 1).data(), QStringLiteral("Dir"));
    EXPECT_EQ(ComboTexts(), (QStringList{"Flash Drive"}));
    EXPECT_FALSE(window->actDrvLevelUp->isEnabled()) << "at the root";

    drive->setFocus();
    SelectRow(drive, "SUB");
    QTest::keyClick(drive, Qt::Key_Return);
    EXPECT_EQ(Captions(*drive), (QStringList{"DEEP", "INNER.BIN"}));
    EXPECT_EQ(ComboTexts(), (QStringList{"Flash Drive", "SUB"}));
    EXPECT_TRUE(window->actDrvLevelUp->isEnabled());
    const QStringList subByEnter = Captions(*drive);

    SelectRow(drive, "DEEP");
    const QPoint deep = drive->visualRect(drive->model()->index(0, 0)).center();
    QTest::mouseClick(drive->viewport(), Qt::LeftButton, {}, deep);
    QTest::mouseDClick(drive->viewport(), Qt::LeftButton, {}, deep);
    EXPECT_EQ(Captions(*drive), (QStringList{"X.TXT"}));
    EXPECT_EQ(ComboTexts(), (QStringList{"Flash Drive", "SUB", "DEEP"}));
    EXPECT_EQ(window->cbexRecLocation->currentIndex(), 2);

    // The combo lists what the double click listed.
    window->cbexRecLocation->setCurrentIndex(1);
    EXPECT_EQ(Captions(*drive), subByEnter);
    EXPECT_EQ(window->Lists().DriveFolderView().Folder(), QStringLiteral("\\SUB\\"));

    QTest::keyClick(drive, Qt::Key_Backspace);
    EXPECT_EQ(Captions(*drive), (QStringList{"SUB", "ROOT.TXT"}));
    EXPECT_FALSE(window->actDrvLevelUp->isEnabled());
    SelectRow(drive, "ROOT.TXT");
    QTest::keyClick(drive, Qt::Key_Return);
    EXPECT_EQ(Captions(*drive), (QStringList{"SUB", "ROOT.TXT"})) << "Enter on a file does nothing";

    window->actShowRec->trigger();
    EXPECT_FALSE(window->Lists().DriveView());
    EXPECT_TRUE(window->lvRecContent->isVisible());
    EXPECT_EQ(ComboTexts(), (QStringList{"Records"}));
}

TEST_F(RecorderListsGuiTest, CtrlAWithAndWithoutASelectedPart)
{
    ProgramOptions.ShowVoiceParts = true;
    Connect();
    QTreeView* records = window->lvRecContent;
    records->setFocus();
    QTest::keyClick(records, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(*records), (std::vector<int>{0, 3, 4})) << "the whole records only";

    records->clearSelection();
    SelectRow(records, "3.2");
    QTest::keyClick(records, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(*records), (std::vector<int>{5, 6})) << "the parts of recording 3";
}

TEST_F(RecorderListsGuiTest, CtrlSInDemoModeOnThePartsRecording)
{
    ProgramOptions.ShowVoiceParts = true;
    Connect();
    QTreeView* records = window->lvRecContent;
    records->setFocus();
    SelectRow(records, "3.1");
    QTest::keyClick(records, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(g_statusCalls, (std::vector<TStatusCall>{{3, 0xFF}}));
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(RecorderListsGuiTest, CtrlSDoesNothingOnAnImageFileWithoutDiag)
{
    Connect(1);
    QTreeView* records = window->lvRecContent;
    records->setFocus();
    SelectRow(records, "2");
    QTest::keyClick(records, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(g_statusCalls.empty());
    EXPECT_EQ(SelectedRows(*records), (std::vector<int>{1}));

    connection->FDiagMode = true;
    QTest::keyClick(records, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(g_statusCalls, (std::vector<TStatusCall>{{2, 0xFF}}));
}

// The reset needs a recovery copy of the recording's first block; a folder
// in its way fails it with the one three-line writing error the download's
// mark shows too, and the status stays.
TEST_F(RecorderListsGuiTest, CtrlSWhoseRecoveryCopyCannotBeSavedIsToldOnceAndChangesNothing)
{
    connection->SetRecorderFactory([](int type) -> TCustomRecorder* { return new TRecorder(type); },
                                   [](TCustomRecorder* recorder) { delete recorder; });
    Connect();
    TCustomRecorder& recorder = *connection->Recorder();
    TSoundFileList& files = *recorder.GetSoundFiles();
    recorder.SetSoundFileStatus(2, 0x55);  // downloaded, so that the reset has work
    const TSoundFileInfo& recording = *files.Item(files.IndexOfNumber(2));
    ASSERT_EQ(recording.Status, 0x55);
    const QString copy = BlockRecoveryPath(recorder.GetSerialNumber(), recording.Blocks->Item(0)->Block);
    ASSERT_TRUE(QDir().mkpath(copy));

    QTreeView* records = window->lvRecContent;
    records->setFocus();
    SelectRow(records, "2");
    QTest::keyClick(records, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(boxes.Texts(), std::vector<QString>{EFileWriteError(copy, EISDIR).Text()});
    EXPECT_EQ(files.Item(files.IndexOfNumber(2))->Status, 0x55);
}

// At first start the columns of both lists fit their headers and, once the
// recorder's content is in, their rows.
TEST_F(RecorderListsGuiTest, ColumnsFitHeadersAndRowsAtFirstStart)
{
    Connect();
    window->actShowDrv->trigger();
    QCoreApplication::sendPostedEvents();
    for (QTreeView* list : {window->lvRecContent, window->lvDrvContent}) {
        SCOPED_TRACE(list->objectName().toStdString());
        QAbstractItemModel* model = list->model();
        ASSERT_GT(model->rowCount(), 0);
        const QFontMetrics metrics(list->font());
        for (int column = 0; column < model->columnCount(); ++column) {
            const QString title = model->headerData(column, Qt::Horizontal).toString();
            EXPECT_GE(list->columnWidth(column), metrics.horizontalAdvance(title)) << title.toStdString();
            for (int row = 0; row < model->rowCount(); ++row) {
                const QString text = model->index(row, column).data().toString();
                EXPECT_GE(list->columnWidth(column), metrics.horizontalAdvance(text)) << text.toStdString();
            }
        }
    }
}

TEST_F(RecorderListsGuiTest, SavedColumnWidthsWinOverFitting)
{
    {
        QFile file(DocumentsPath() + QStringLiteral("ZEL4.set"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Settings]\r\nConnectType=3\r\n[OtherSettings]\r\nlvRecContentColumn0Width=33\r\n"
                   "lvRecContentColumn2Width=34\r\nlvDrvContentColumn0Width=35\r\n");
    }
    Connect();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(window->lvRecContent->columnWidth(0), 33);
    EXPECT_EQ(window->lvRecContent->columnWidth(2), 34);
    EXPECT_EQ(window->lvDrvContent->columnWidth(0), 35);
}

TEST_F(RecorderListsGuiTest, RightClickOnARowOpensPopupMenu2)
{
    Connect();
    QTreeView* records = window->lvRecContent;
    QMenu* menu = window->PopupMenu2;
    ASSERT_EQ(menu->actions().size(), 8);
    EXPECT_EQ(menu->actions()[0], window->actCopyToPC);
    EXPECT_TRUE(menu->actions()[2]->isSeparator());
    EXPECT_EQ(menu->actions()[5], window->actCopySelPart);
    EXPECT_EQ(menu->actions()[7], window->actRecErase);

    QTest::mouseClick(records->viewport(), Qt::RightButton, {}, QPoint(20, records->viewport()->height() - 5));
    QCoreApplication::sendPostedEvents();  // the menu opens through a queued call
    EXPECT_FALSE(menu->isVisible()) << "empty space below the rows";
    QTest::mouseClick(records->viewport(), Qt::RightButton, {},
                      records->visualRect(records->model()->index(0, 0)).center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
    menu->hide();
}

TEST_F(RecorderListsGuiTest, TheFlashDriveViewFollowsTheDisableSetting)
{
    Connect();
    EXPECT_TRUE(window->actShowDrv->isEnabled());
    window->actShowDrv->trigger();
    ProgramOptions.DisableFlashDrive = true;
    window->Lists().UpdateActions();
    EXPECT_FALSE(window->actShowDrv->isEnabled());
    EXPECT_FALSE(window->Lists().DriveView());
    EXPECT_TRUE(window->actShowRec->isChecked());
    EXPECT_TRUE(window->lvRecContent->isVisible());
    EXPECT_FALSE(window->lvDrvContent->isVisible());
}

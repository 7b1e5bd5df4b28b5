#include <gtest/gtest.h>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <QTreeView>
#include <functional>

#include "app/lists/ColumnFit.h"
#include "app/lists/DriveListKeys.h"
#include "app/lists/DriveListModel.h"
#include "app/lists/DriveListView.h"
#include "app/lists/FileList.h"
#include "app/lists/LocationCombo.h"
#include "app/lists/OwnerDataModel.h"
#include "app/lists/RecordList.h"
#include "app/lists/RecordListKeys.h"
#include "app/lists/RecordListModel.h"
#include "app/lists/RecordListView.h"
#include "app/lists/RowPopupMenu.h"
#include "app/lists/ViewSelection.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/links/ConnectType.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/Recorder.h"
#include "tests/app/ScriptedMessageBoxes.h"

namespace {

// The recorder object with its status command recorded (or failing).
class StatusRecorder : public TRecorder {
public:
    StatusRecorder() : TRecorder(ctImageFile) {}

    void SetSoundFileStatus(std::uint16_t record, std::uint8_t status) override
    {
        Calls.emplace_back(record, status);
        if (Fail)
            ThrowIoError(cmdGetRtc);
    }

    std::vector<std::pair<std::uint16_t, std::uint8_t>> Calls;
    bool Fail = false;
};

QStringList Column(const QAbstractItemModel& model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, column).data().toString();
    return texts;
}

std::vector<int> Rows(std::initializer_list<int> rows)
{
    return rows;
}

// Recordings 1 to 3; 1 and 3 have two voice parts each. Dates run
// against the numbers.
class RecordViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (std::uint16_t n = 1; n <= 3; ++n) {
            auto recording = std::make_unique<TSoundFileInfo>();
            recording->Number = n;
            recording->NumberText = QString::number(n);
            recording->Size = 1024 * n;
            recording->StartTime.wYear = 2024;
            recording->StartTime.wMonth = 1;
            recording->StartTime.wDay = static_cast<std::uint16_t>(10 - n);
            recording->Status = 0x55;
            recording->VoiceParts = std::make_unique<TSoundFileList>();
            for (std::uint16_t p = 1; p <= (n == 2 ? 0 : 2); ++p) {
                auto part = std::make_unique<TSoundFileInfo>();
                part->Number = p;
                part->NumberText = QStringLiteral("%1.%2").arg(n).arg(p);
                part->Parent = recording.get();
                recording->VoiceParts->Add(std::move(part));
            }
            recordings.Add(std::move(recording));
        }
        view.resize(600, 400);
    }

    QStringList Captions() const { return Column(records.Model(), 0); }

    void Click(int column) { emit view.header()->sectionClicked(column); }

    TSoundFileList recordings;
    QTreeView view;
    TRecordList list;
    TRecordListView records{view, list};
};

}  // namespace

TEST_F(RecordViewTest, RowsWithAndWithoutVoiceParts)
{
    records.Fill(&recordings, false);
    EXPECT_EQ(Captions(), (QStringList{"1", "2", "3"}));
    records.Fill(&recordings, true);
    EXPECT_EQ(Captions(), (QStringList{"1", "     1.1", "     1.2", "2", "3", "     3.1", "     3.2"}));
    EXPECT_EQ(records.Model().columnCount(), 6);
    EXPECT_EQ(records.Model().headerData(2, Qt::Horizontal, Qt::DisplayRole), QStringLiteral("Date"));
    EXPECT_EQ(records.Model().index(0, 5).data(), QStringLiteral("Downloaded"));
    EXPECT_EQ(records.Model().index(1, 5).data().toString(), QString());
    EXPECT_EQ(records.Model().index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(records.Model().index(0, 0).data(TOwnerDataModel::ImageIndexRole), 38);
    // Parts in another colour than their recording.
    EXPECT_NE(records.Model().index(0, 0).data(Qt::ForegroundRole),
              records.Model().index(1, 0).data(Qt::ForegroundRole));
    // Shown with line feeds alone: a CR would start lines 2 to 6 with a blank.
    const QString tip = records.Model().index(0, 0).data(Qt::ToolTipRole).toString();
    EXPECT_EQ(tip.count(QLatin1Char('\n')), 5);
    EXPECT_FALSE(tip.contains(QLatin1Char('\r')));
    EXPECT_FALSE(view.isSortingEnabled());

    // The row count is the view's own.
    records.SetRowCount(2);
    EXPECT_EQ(records.Model().rowCount(), 2);
    records.SetRowCount(9);
    EXPECT_FALSE(records.Model().index(8, 0).data().isValid());
    records.Clear();
    EXPECT_EQ(records.Model().rowCount(), 0);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(RecordViewTest, ColumnClicksFollowTheClickRule)
{
    records.Fill(&recordings, true);
    Click(TRecordListModel::colDate);
    EXPECT_EQ(list.SortKey(), TRecordList::SortTime);
    EXPECT_TRUE(list.Ascending());
    EXPECT_EQ(Captions().first(), QStringLiteral("3"));
    EXPECT_EQ(view.header()->sortIndicatorSection(), 2);
    EXPECT_EQ(view.header()->sortIndicatorOrder(), Qt::AscendingOrder);

    Click(TRecordListModel::colDate);
    EXPECT_FALSE(list.Ascending());
    EXPECT_EQ(Captions(), (QStringList{"1", "     1.1", "     1.2", "2", "3", "     3.1", "     3.2"}));
    EXPECT_EQ(view.header()->sortIndicatorOrder(), Qt::DescendingOrder);

    // Another column keeps the direction (the click rule, not SetSortKey's reset).
    Click(TRecordListModel::colSize);
    EXPECT_EQ(list.SortKey(), TRecordList::SortSize);
    EXPECT_FALSE(list.Ascending());
    EXPECT_EQ(Captions().first(), QStringLiteral("3"));
    EXPECT_EQ(view.header()->sortIndicatorSection(), 1);

    // "Mode" sorts by key 0: the record numbers, in the direction.
    Click(TRecordListModel::colMode);
    EXPECT_EQ(list.SortKey(), TRecordList::SortNone);
    EXPECT_EQ(Captions().first(), QStringLiteral("3"));

    records.SortByDefault();
    EXPECT_EQ(list.SortKey(), TRecordList::SortNumber);
    EXPECT_TRUE(list.Ascending());
    EXPECT_EQ(Captions().first(), QStringLiteral("1"));
    EXPECT_FALSE(view.header()->isSortIndicatorShown());
}

TEST_F(RecordViewTest, SelectedRecordsInRowOrderOutliveARefill)
{
    records.Fill(&recordings, true);
    SelectRows(view, Rows({4, 1, 2}));
    SelectRows(view, Rows({6}));
    TRecordList selection;
    records.CollectSelectedRecords(selection);
    ASSERT_EQ(selection.Count(), 4);
    EXPECT_EQ(selection.Items(0)->NumberText, QStringLiteral("1.1"));
    EXPECT_EQ(selection.Items(3)->NumberText, QStringLiteral("3.2"));
    EXPECT_EQ(FirstSelectedRow(view), 1);
    records.Clear();
    EXPECT_EQ(selection.Items(2)->NumberText, QStringLiteral("3"));
    EXPECT_TRUE(SelectedRows(view).empty());
}

TEST_F(RecordViewTest, CtrlASelectsWholeRecordsOrThePartsOfOneRecording)
{
    bool allowed = true;
    StatusRecorder recorder;
    TRecordListKeys keys(
        records, [&] { return allowed; }, [&]() -> TCustomRecorder* { return &recorder; });
    records.Fill(&recordings, true);

    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(view), Rows({0, 3, 4}));

    view.clearSelection();
    SelectRows(view, Rows({0, 6}));
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(view), Rows({0, 3, 4, 6})) << "the first selected row is a recording";

    view.clearSelection();
    SelectRows(view, Rows({3, 5}));
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(view), Rows({0, 3, 4, 5})) << "3 is the first selected: whole records";

    view.clearSelection();
    SelectRows(view, Rows({2}));
    SelectRows(view, Rows({4}));
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(view), Rows({1, 2, 4})) << "a part first: the parts of recording 1, row 4 stays";

    // Only Ctrl alone counts; Ctrl+Shift+A goes on to the view.
    view.clearSelection();
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(SelectedRows(view).empty());
}

TEST_F(RecordViewTest, CtrlSMarksTheRecordingOfTheSelectedRowWhereAllowed)
{
    ScriptedMessageBoxes boxes;
    bool allowed = false;
    StatusRecorder recorder;
    TRecordListKeys keys(
        records, [&] { return allowed; }, [&]() -> TCustomRecorder* { return &recorder; });
    records.Fill(&recordings, true);
    SelectRows(view, Rows({6}));  // part 3.2

    QTest::keyClick(&view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(recorder.Calls.empty());

    allowed = true;
    QTest::keyClick(&view, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(recorder.Calls.empty());
    QTest::keyClick(&view, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(recorder.Calls.size(), 1u);
    EXPECT_EQ(recorder.Calls[0], (std::pair<std::uint16_t, std::uint8_t>{3, 0xFF})) << "the parent's number";

    // A link error is shown, not thrown into the event loop.
    recorder.Fail = true;
    QTest::keyClick(&view, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(QStringLiteral("I/O Error")));

    view.clearSelection();
    QTest::keyClick(&view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(recorder.Calls.size(), 2u) << "no selected row: nothing";
}

TEST_F(RecordViewTest, RightClickOnARowOpensTheMenuAndBelowTheRowsNothing)
{
    QMenu menu;
    menu.addAction(QStringLiteral("Copy to PC"));
    TRowPopupMenu popup(view, &menu);
    records.Fill(&recordings, false);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, QPoint(view.viewport()->width() / 2, 300));
    QCoreApplication::sendPostedEvents();  // the menu opens through a queued call
    EXPECT_FALSE(menu.isVisible());
    const QRect row = view.visualRect(records.Model().index(1, 0));
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, row.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu.isVisible(); }, 2000));
    menu.hide();
}

// Columns fit their headers at once and their rows when rows come; they
// only grow; a column the user drags, or saved widths, end the fitting.
TEST_F(RecordViewTest, ColumnsFitHeadersAndRowsUntilWidthsAreChosen)
{
    TColumnFit fit(view);
    recordings.Item(0)->NumberText = QStringLiteral("1 (+7 912 345-67-89, a long caller name)");
    QCoreApplication::sendPostedEvents();
    const QFontMetrics metrics(view.font());
    for (int column = 0; column < records.Model().columnCount(); ++column) {
        const QString title = records.Model().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        EXPECT_GE(view.columnWidth(column), metrics.horizontalAdvance(title)) << title.toStdString();
    }
    const int emptyWidth = view.columnWidth(0);

    records.Fill(&recordings, false);
    QCoreApplication::sendPostedEvents();
    for (int column = 0; column < records.Model().columnCount(); ++column)
        for (int row = 0; row < records.Model().rowCount(); ++row) {
            const QString text = records.Model().index(row, column).data().toString();
            EXPECT_GE(view.columnWidth(column), metrics.horizontalAdvance(text)) << text.toStdString();
        }
    const int filledWidth = view.columnWidth(0);
    EXPECT_GT(filledWidth, emptyWidth);

    TSoundFileList none;
    records.Fill(&none, false);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(view.columnWidth(0), filledWidth) << "an emptied list keeps its widths";

    view.header()->resizeSection(2, 40);  // the user's drag
    records.Fill(&recordings, false);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(view.columnWidth(2), 40);
    EXPECT_FALSE(fit.Fitting());

    TColumnFit saved(view);
    saved.KeepWidths();  // saved widths applied
    view.setColumnWidth(0, 30);
    saved.Fit();
    EXPECT_EQ(view.columnWidth(0), 30);
}

// The Menu key and Shift+F10 reach the menu as Qt's keyboard context-menu
// event and open it on the current row, also one scrolled out of sight.
TEST_F(RecordViewTest, TheMenuKeyOpensTheMenuOnTheCurrentRow)
{
    QMenu menu;
    menu.addAction(QStringLiteral("Copy to PC"));
    TRowPopupMenu popup(view, &menu);
    records.Fill(&recordings, false);
    view.resize(300, 60);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.setFocus();

    view.setCurrentIndex(QModelIndex());
    QTest::keyClick(&view, Qt::Key_Menu);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(menu.isVisible()) << "no current row: nothing";

    const struct {
        const char* name;
        std::function<void()> press;
    } ways[] = {
        {"Menu key", [&] { QTest::keyClick(&view, Qt::Key_Menu); }},
        {"Shift+F10", [&] { QTest::keyClick(&view, Qt::Key_F10, Qt::ShiftModifier); }},
        {"context-menu event", [&] {
             QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(), QPoint());
             QCoreApplication::sendEvent(&view, &event);
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        const QModelIndex last = records.Model().index(records.Model().rowCount() - 1, 2);
        view.setCurrentIndex(last);
        view.scrollToTop();
        way.press();
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu.isVisible(); }, 2000));
        const QRect row = view.visualRect(last.siblingAtColumn(0));
        ASSERT_TRUE(view.viewport()->rect().intersects(row)) << "scrolled to the current row";
        const QPoint at = view.viewport()->mapFromGlobal(menu.pos());
        EXPECT_GE(at.y(), row.top());
        EXPECT_LE(at.y(), row.bottom() + 1);
        menu.hide();
    }

    // F10 alone or Ctrl+Menu are not the menu's keys.
    QTest::keyClick(&view, Qt::Key_F10);
    QTest::keyClick(&view, Qt::Key_Menu, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(menu.isVisible());
}

namespace {

std::unique_ptr<TDriveFileInfo> DriveFile(const char16_t* name, std::int64_t size, bool folder, int day)
{
    auto file = std::make_unique<TDriveFileInfo>();
    file->Name = QString::fromUtf16(name);
    file->Size = size;
    file->Flag = folder ? 1 : 0;
    file->Time.wYear = 2024;
    file->Time.wMonth = 2;
    file->Time.wDay = static_cast<std::uint16_t>(day);
    return file;
}

class DriveViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        driveFiles.Add(DriveFile(u"b.txt", 5000, false, 1));
        driveFiles.Add(DriveFile(u"SUB", 0, true, 2));
        driveFiles.Add(DriveFile(u"a.txt", 1, false, 3));
        driveFiles.Add(DriveFile(u"SUB\\inner.bin", 3ll << 30, false, 4));
        driveFiles.Add(DriveFile(u"SUB\\DEEP", 0, true, 5));
        driveFiles.Add(DriveFile(u"SUB\\DEEP\\c.txt", 1025, false, 6));
        folderView.SetSortKey(TFileList::SortName);
        drive.OnFolderChanged = [this] { combo.Fill(true, folderView.Folder()); };
        combo.OnFolderChosen = [this](const QString& folder) { drive.SetFolder(folder); };
        drive.Fill(&driveFiles);
        combo.Fill(true, folderView.Folder());
    }

    QStringList Names() const { return Column(drive.Model(), 0); }
    QStringList ComboTexts() const
    {
        QStringList texts;
        for (int i = 0; i < comboBox.count(); ++i)
            texts << comboBox.itemText(i);
        return texts;
    }
    void SelectName(const QString& name)
    {
        view.clearSelection();
        const int row = static_cast<int>(Names().indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString();
        SelectRows(view, Rows({row}));
    }

    TDriveFileList driveFiles;
    QTreeView view;
    QComboBox comboBox;
    TFileList files;
    TFilteredFileList folderView;
    TDriveListView drive{view, files, folderView};
    TLocationCombo combo{comboBox};
    int levelUps = 0;
    TDriveListKeys keys{drive, [this] {
                            ++levelUps;
                            if (drive.CanLevelUp())
                                drive.LevelUp();
                        }};
};

}  // namespace

TEST_F(DriveViewTest, RootRowsAndTheirTexts)
{
    EXPECT_EQ(Names(), (QStringList{"SUB", "a.txt", "b.txt"}));
    EXPECT_EQ(Column(drive.Model(), 1), (QStringList{"Dir", "1 KB", "5 KB"}));
    EXPECT_TRUE(drive.Model().index(0, 2).data().toString().endsWith(QStringLiteral(":00 ")));
    EXPECT_EQ(drive.Model().index(0, 0).data(TOwnerDataModel::ImageIndexRole), 2);
    EXPECT_EQ(drive.Model().index(1, 0).data(TOwnerDataModel::ImageIndexRole), 8);
    EXPECT_EQ(files.Items(3)->Path, QStringLiteral("\\SUB\\"));
    EXPECT_EQ(files.Items(3)->DriveFileIndex, 3);
    EXPECT_EQ(view.currentIndex().row(), 0);
    EXPECT_TRUE(SelectedRows(view).empty());
    EXPECT_EQ(ComboTexts(), (QStringList{"Flash Drive"}));
    EXPECT_FALSE(drive.CanLevelUp());
}

TEST_F(DriveViewTest, EnterDoubleClickBackspaceAndTheComboMoveThroughFolders)
{
    SelectName(QStringLiteral("a.txt"));
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(folderView.Folder(), QStringLiteral("\\")) << "Enter on a file does nothing";

    SelectName(QStringLiteral("SUB"));
    QTest::keyClick(&view, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(folderView.Folder(), QStringLiteral("\\")) << "only without modifiers";
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(folderView.Folder(), QStringLiteral("\\SUB\\"));
    EXPECT_EQ(Names(), (QStringList{"DEEP", "inner.bin"}));
    EXPECT_TRUE(SelectedRows(view).empty());
    EXPECT_EQ(ComboTexts(), (QStringList{"Flash Drive", "SUB"}));
    EXPECT_TRUE(drive.CanLevelUp());

    SelectName(QStringLiteral("DEEP"));
    emit view.doubleClicked(drive.Model().index(0, 0));
    EXPECT_EQ(folderView.Folder(), QStringLiteral("\\SUB\\DEEP\\"));
    EXPECT_EQ(Names(), (QStringList{"c.txt"}));
    EXPECT_EQ(Column(drive.Model(), 1), (QStringList{"2 KB"}));
    EXPECT_EQ(ComboTexts(), (QStringList{"Flash Drive", "SUB", "DEEP"}));
    EXPECT_EQ(comboBox.currentIndex(), 2);
    EXPECT_EQ(comboBox.itemData(2, TLocationCombo::IndentRole), 2);

    // The combo's folder form lists what the double click listed.
    comboBox.setCurrentIndex(1);
    EXPECT_EQ(folderView.Folder(), QStringLiteral("\\SUB\\"));
    EXPECT_EQ(Names(), (QStringList{"DEEP", "inner.bin"}));
    EXPECT_EQ(ComboTexts(), (QStringList{"Flash Drive", "SUB"}));

    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(levelUps, 1);
    EXPECT_EQ(folderView.Folder(), QStringLiteral("\\"));
    EXPECT_EQ(Names(), (QStringList{"SUB", "a.txt", "b.txt"}));
    QTest::keyClick(&view, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(levelUps, 1);

    SelectName(QStringLiteral("SUB"));
    QTest::keyClick(&view, Qt::Key_Return);
    comboBox.setCurrentIndex(0);
    EXPECT_EQ(folderView.Folder(), QStringLiteral("\\"));

    // The records view's combo hands nothing on.
    combo.Fill(false, folderView.Folder());
    EXPECT_EQ(ComboTexts(), (QStringList{"Records"}));
}

TEST_F(DriveViewTest, CtrlASelectsEveryRowAndColumnsSort)
{
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(view), Rows({0, 1, 2}));

    emit view.header()->sectionClicked(TDriveListModel::colSize);
    EXPECT_EQ(folderView.SortKey(), TFileList::SortSize);
    EXPECT_EQ(Names(), (QStringList{"SUB", "a.txt", "b.txt"}));
    emit view.header()->sectionClicked(TDriveListModel::colSize);
    EXPECT_EQ(Names(), (QStringList{"b.txt", "a.txt", "SUB"}));
    emit view.header()->sectionClicked(TDriveListModel::colDate);
    EXPECT_FALSE(folderView.Ascending()) << "a new column keeps the direction";
    EXPECT_EQ(Names(), (QStringList{"a.txt", "b.txt", "SUB"}));

    drive.Clear();
    EXPECT_EQ(drive.Model().rowCount(), 0);
    EXPECT_EQ(files.Count(), 0);
}

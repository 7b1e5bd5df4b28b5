#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileSystemModel>
#include <QMenu>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include "app/actions/WaveInfoAction.h"
#include "app/explorer/ExplorerPane.h"
#include "app/main/MainWindow.h"
#include "app/services/ApplicationTitle.h"
#include "audio/WaveAddInfo.h"
#include "audio/WaveFile.h"
#include "core/protocol/Crc32.h"
#include "core/recorder/RecorderHost.h"
#include "core/settings/ProgramFolder.h"
#include "tests/app/ScriptedMessageBoxes.h"
#include "tests/support/FakeAonLibrary.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavBuilder.h"

namespace {

// The pane's folder view over a model of three files (two columns), the
// action beside it; the program folder is the fake caller-ID library's.
class WaveInfoActionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        splitter = new QSplitter(&window);
        pane = new TExplorerPane(window, *splitter);
        action = new TWaveInfoAction(window, [this] { return pane->ExplorerShown() ? pane->SelectedFilePath() : QString(); });
        for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
            auto* item = new QStandardItem(QLatin1String(name));
            item->setData(Path(name), QFileSystemModel::FilePathRole);
            model.appendRow({item, new QStandardItem(QStringLiteral("size"))});
        }
        pane->ListView()->setModel(&model);
        SetProgramFolderOverride(QStringLiteral(TRELLAVOX_FAKE_AON_DIR));
    }
    void TearDown() override { SetProgramFolderOverride(QString()); }

    QString Path(const char* name) const { return QString::fromStdString(dir.File(name)); }
    // Cells by file name and column (the view sorts the rows).
    void Select(std::initializer_list<std::pair<const char*, int>> cells)
    {
        QItemSelectionModel* selection = pane->ListView()->selectionModel();
        selection->clear();
        for (const auto& [name, column] : cells) {
            const int row = model.findItems(QLatin1String(name)).at(0)->row();
            selection->select(model.index(row, column), QItemSelectionModel::Select);
        }
    }
    bool Enabled()
    {
        action->actShowAddInfoUpdate();
        return action->Action()->isEnabled();
    }

    TempDir dir;
    QWidget window;
    QStandardItemModel model;
    QSplitter* splitter = nullptr;
    TExplorerPane* pane = nullptr;
    TWaveInfoAction* action = nullptr;
};

}  // namespace

TEST_F(WaveInfoActionTest, EnabledWhileThePaneIsShownWithExactlyOneItemSelected)
{
    EXPECT_EQ(action->Action()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
    EXPECT_FALSE(Enabled());
    Select({{"b.wav", 0}});
    EXPECT_TRUE(Enabled());
    EXPECT_EQ(pane->SelectedFilePath(), Path("b.wav"));
    Select({{"b.wav", 0}, {"b.wav", 1}});
    EXPECT_TRUE(Enabled());
    Select({{"a.wav", 0}, {"c.wav", 1}});
    EXPECT_FALSE(Enabled());
    EXPECT_EQ(pane->SelectedFilePath(), QString());
    Select({{"c.wav", 1}});
    pane->SetExplorerShown(false);
    EXPECT_FALSE(Enabled());
    pane->SetExplorerShown(true);
    EXPECT_TRUE(Enabled());
}

// One box, the application's title, no icon, OK; the call text from the
// decoder loaded for this use.
TEST_F(WaveInfoActionTest, ExecuteShowsTheInfoOfTheSelectedFileInOneBox)
{
    WavBuilder().Fmt(WavBuilder::PcmFmt(1, 8000, 16)).Data(WavBuilder::Counting(16000)).Save(dir.File("b.wav"));
    FakeAonLibrary fake(TRELLAVOX_FAKE_AON_DIR "/libaon.so");
    fake->Result[0] = 2;
    ScriptedMessageBoxes boxes;
    Select({{"b.wav", 0}});
    ASSERT_TRUE(Enabled());
    action->Action()->trigger();

    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text,
              QStringLiteral("File info:\n    Data size: 16000\n    Channels: 1\n    Sample rate: 8000\n"
                             "    Block align: 2\n    Length: 00:00:01\n\nAdditional info:\n"
                             "File was created (or modified)\n    by another program and has\n"
                             "    no additional info.\n\n\nOutput call\n"));
    EXPECT_EQ(boxes.Boxes[0].Flags, MB_OK);
    EXPECT_EQ(boxes.Boxes[0].Caption, ApplicationTitle());
    EXPECT_EQ(fake->InitRates, std::vector<std::uint32_t>{8000});

    Select({{"a.wav", 0}});
    ASSERT_TRUE(Enabled());
    action->Action()->trigger();
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Text.toStdString(), "Can't open " + dir.File("a.wav"));
}

namespace {

// Answers the codec caption and notes the cursor the program shows then,
// while the file is being read.
class CursorNotingHost : public TRecorderHost {
public:
    void SetHiddenSettingsVisible(bool) override {}
    bool ChooseUploadFormat(std::uint8_t&, std::uint8_t&) override { return false; }
    int AppMessageBox(const QString&, std::uint32_t, const QString&) override { return 0; }
    QString CompressionCaption(TCompressionCaption) override
    {
        const QCursor* cursor = QApplication::overrideCursor();
        CursorWhileReading = cursor ? cursor->shape() : Qt::ArrowCursor;
        return QStringLiteral("Sans compression");
    }
    QString ScaleCaption(int) override { return {}; }

    Qt::CursorShape CursorWhileReading = Qt::ArrowCursor;
};

}  // namespace

TEST_F(WaveInfoActionTest, TheFileIsReadUnderTheHourglass)
{
    const WavBuilder::Bytes data = WavBuilder::Counting(50000);
    TWaveAddInfo stored;
    TCrc32 crc;
    stored.Crc = crc.Update(data.data(), static_cast<std::uint32_t>(data.size()));
    stored.Codec = 0;
    const TWaveAddInfoV5 chunk = BuildWaveAddInfo(stored);
    WavBuilder()
        .Fmt(WavBuilder::PcmFmt(1, 8000, 16))
        .Data(data)
        .Chunk(kWaveAddInfoChunkId, WavBuilder::Bytes(chunk.begin(), chunk.end()))
        .Save(dir.File("c.wav"));
    CursorNotingHost host;
    SetRecorderHost(&host);
    ScriptedMessageBoxes boxes;
    Select({{"c.wav", 0}});
    ASSERT_TRUE(Enabled());
    action->Action()->trigger();
    SetRecorderHost(nullptr);

    EXPECT_EQ(host.CursorWhileReading, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(QStringLiteral("checking: passed.\n")));
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(QStringLiteral("Source compress type: Sans compression\n")));
}

TEST(WaveInfoActionInMainWindow, TheToolButtonAndTheMenuItemStandForTheAction)
{
    TfrmTrellavoxMain window;
    QAction* action = window.findChild<QAction*>(QStringLiteral("actShowAddInfo"));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action, window.actShowAddInfo);
    EXPECT_EQ(window.findChild<QToolButton*>(QStringLiteral("tlbtnAddInfo"))->defaultAction(), action);
    QAction* item = window.findChild<QAction*>(QStringLiteral("Showaddinfo1"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(window.View1->actions().contains(item));

    action->setEnabled(true);
    EXPECT_TRUE(item->isEnabled());
    QSignalSpy triggered(action, &QAction::triggered);
    item->trigger();
    EXPECT_EQ(triggered.count(), 1);
    action->setEnabled(false);
    EXPECT_FALSE(item->isEnabled());
}

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QListView>
#include <QMimeData>
#include <QSplitter>
#include <QTest>
#include <QTreeView>
#include <QUrl>
#include <fstream>
#include <memory>

#include "app/explorer/ExplorerDrops.h"
#include "app/explorer/ExplorerPane.h"
#include "app/lists/ListViewSetup.h"
#include "app/lists/OwnerDataModel.h"
#include "tests/support/TempDir.h"

namespace {

class TwoRows : public TOwnerDataModel {
public:
    explicit TwoRows(QObject* parent) : TOwnerDataModel({QStringLiteral("Name")}, {}, parent) { SetRowCount(2); }

protected:
    int ListCount() const override { return 2; }
    QStringList RowTexts(int row) const override { return {QString::number(row)}; }
    int RowImage(int) const override { return 0; }
};

// The drag's source as the test sets it: a synthesized event has none.
class SourcedDrops : public TExplorerDrops {
public:
    using TExplorerDrops::TExplorerDrops;
    QObject* Source = nullptr;

protected:
    QObject* DragSource(const QDropEvent&) const override { return Source; }
};

class ExplorerDropsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(900, 600);
        auto* splitter = new QSplitter(&window);
        auto* recorder = new QWidget(splitter);
        lvRecContent = MakeReportView(recorder, "lvRecContent");
        lvDrvContent = MakeReportView(recorder, "lvDrvContent");
        SetUpOwnerDataView(*lvRecContent, *new TwoRows(&window));
        SetUpOwnerDataView(*lvDrvContent, *new TwoRows(&window));
        pane = new TExplorerPane(window, *splitter);
        actCopyToPC = new QAction(QStringLiteral("Copy to PC"), &window);
        actMoveToPC = new QAction(QStringLiteral("Move to PC"), &window);
        drops = new SourcedDrops(*pane, {lvRecContent, lvDrvContent}, actCopyToPC, &window);
        TExplorerDropHooks hooks;
        hooks.CopyToRecorder = [this] { calls << QStringLiteral("to recorder"); };
        hooks.CopyToPc = [this](QAction* sender) { calls << QStringLiteral("to PC as ") + sender->text(); };
        drops->SetHooks(hooks);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // What a recorder list's own drag carries.
    std::unique_ptr<QMimeData> RecorderRows(QTreeView& list)
    {
        return std::unique_ptr<QMimeData>(list.model()->mimeData({list.model()->index(0, 0)}));
    }
    static std::unique_ptr<QMimeData> Files(const QString& path)
    {
        auto data = std::make_unique<QMimeData>();
        data->setUrls({QUrl::fromLocalFile(path)});
        return data;
    }

    // Enter, move and drop on the middle of target; true when accepted.
    bool Drop(QAbstractItemView& target, QObject* source, const QMimeData& data,
              Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction, Qt::KeyboardModifiers keys = Qt::NoModifier,
              Qt::DropAction* done = nullptr)
    {
        drops->Source = source;
        QWidget* viewport = target.viewport();
        const QPointF at = viewport->rect().center();
        QDragEnterEvent enter(at.toPoint(), actions, &data, Qt::LeftButton, keys);
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at.toPoint(), actions, &data, Qt::LeftButton, keys);
        QApplication::sendEvent(viewport, &move);
        QDropEvent drop(at, actions, &data, Qt::LeftButton, keys);
        QApplication::sendEvent(viewport, &drop);
        if (done)
            *done = drop.dropAction();
        return enter.isAccepted() && drop.isAccepted();
    }

    TempDir dir;
    QWidget window;
    QTreeView* lvRecContent = nullptr;
    QTreeView* lvDrvContent = nullptr;
    TExplorerPane* pane = nullptr;
    QAction* actCopyToPC = nullptr;
    QAction* actMoveToPC = nullptr;
    SourcedDrops* drops = nullptr;
    QStringList calls;
};

}  // namespace

TEST_F(ExplorerDropsTest, ARecorderDragCarriesThePrivateFormat)
{
    EXPECT_TRUE(RecorderRows(*lvRecContent)->hasFormat(QLatin1String(TOwnerDataModel::RowsMimeType)));
}

// Who may drop where, and which handler a drop starts.
TEST_F(ExplorerDropsTest, DropsWithASetSourceReachTheirHandlerAndEveryOtherIsRefused)
{
    const auto rows = RecorderRows(*lvDrvContent);
    const auto files = Files(QString::fromStdString(dir.File("a.wav")));
    struct Case {
        const char* what;
        QAbstractItemView* target;
        QObject* source;
        const QMimeData* data;
        QString call;  // empty: refused
    };
    const QString toRecorder = QStringLiteral("to recorder");
    const QString toPc = QStringLiteral("to PC as Copy to PC");
    const Case cases[] = {
        {"explorer report onto records", lvRecContent, pane->ListView(), files.get(), toRecorder},
        {"explorer icons onto the flash drive", lvDrvContent, pane->IconView(), files.get(), toRecorder},
        {"records onto the explorer", pane->ListView(), lvRecContent, rows.get(), toPc},
        {"flash drive onto the explorer icons", pane->IconView(), lvDrvContent, rows.get(), toPc},
        {"outside onto records", lvRecContent, nullptr, files.get(), {}},
        {"flash drive onto records", lvRecContent, lvDrvContent, rows.get(), {}},
        {"records onto themselves", lvRecContent, lvRecContent, rows.get(), {}},
        {"explorer onto itself", pane->ListView(), pane->ListView(), files.get(), {}},
        {"explorer icons onto its report", pane->ListView(), pane->IconView(), files.get(), {}},
        {"outside onto the explorer", pane->ListView(), nullptr, files.get(), {}},
        {"outside with the private format", pane->ListView(), nullptr, rows.get(), {}},
        {"records without the private format", pane->ListView(), lvRecContent, files.get(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        calls.clear();
        EXPECT_EQ(Drop(*c.target, c.source, *c.data), !c.call.isEmpty());
        EXPECT_EQ(calls, c.call.isEmpty() ? QStringList() : QStringList{c.call});
    }
}

// Shift or a move proposed by the source: still Copy to PC, and a copy.
TEST_F(ExplorerDropsTest, ADropOnTheExplorerIsACopyWhateverKeysAreHeld)
{
    const auto rows = RecorderRows(*lvRecContent);
    for (Qt::KeyboardModifiers keys :
         {Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
        calls.clear();
        Qt::DropAction done = Qt::IgnoreAction;
        EXPECT_TRUE(Drop(*pane->ListView(), lvRecContent, *rows, Qt::MoveAction | Qt::CopyAction, keys, &done));
        EXPECT_EQ(done, Qt::CopyAction);
        EXPECT_EQ(calls, QStringList{QStringLiteral("to PC as Copy to PC")});
    }
}

// The file-system model's own drop would move the files: it never runs.
TEST_F(ExplorerDropsTest, FilesDroppedFromOutsideStayWhereTheyAre)
{
    std::ofstream(dir.File("a.wav")) << "x";
    QDir(QString::fromStdString(dir.Path().string())).mkdir(QStringLiteral("target"));
    const QString target = QString::fromStdString(dir.File("target"));
    ASSERT_TRUE(pane->SetCurrentFolder(target));
    const auto files = Files(QString::fromStdString(dir.File("a.wav")));
    EXPECT_FALSE(Drop(*pane->ListView(), nullptr, *files, Qt::MoveAction));
    QTest::qWait(50);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(dir.File("a.wav"))));
    EXPECT_TRUE(QDir(target).isEmpty());
}

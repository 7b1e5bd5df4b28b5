#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractFileIconProvider>
#include <QItemSelectionModel>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "app/explorer/FolderModel.h"
#include "app/explorer/FolderReader.h"
#include "tests/support/TempDir.h"

namespace {

// Types as Qt's provider does; once held, the next file typed (on the
// reader's thread) waits until released: a read held in progress.
class HeldIcons : public QAbstractFileIconProvider {
public:
    QString type(const QFileInfo& info) const override
    {
        std::unique_lock lock(m_mutex);
        if (m_hold && m_held.isEmpty()) {
            m_held = info.fileName();
            m_wake.notify_all();
            m_wake.wait(lock, [this] { return !m_hold; });
        }
        lock.unlock();
        return QAbstractFileIconProvider::type(info);
    }
    void Hold()
    {
        const std::lock_guard lock(m_mutex);
        m_hold = true;
        m_held.clear();
    }
    // The name of the file the read waits at; empty when none came.
    QString WaitHeld()
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, std::chrono::seconds(5), [this] { return !m_held.isEmpty(); });
        return m_held;
    }
    void Release()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_hold = false;
        }
        m_wake.notify_all();
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_wake;
    mutable QString m_held;
    bool m_hold = false;
};

class FolderTest : public ::testing::Test {
protected:
    QString Folder() const { return QString::fromStdString(dir.Path().string()); }
    QString PathOf(const std::string& name) const { return QString::fromStdString(dir.File(name)); }
    void MakeFile(const std::string& name, std::size_t size = 1)
    {
        std::ofstream(dir.File(name)) << std::string(size, 'x');
    }
    void MakeFolder(const std::string& name) { std::filesystem::create_directory(dir.File(name)); }
    void SetTime(const std::string& name, int secondsAgo)
    {
        std::filesystem::last_write_time(dir.File(name), std::filesystem::file_time_type::clock::now() -
                                                             std::chrono::seconds(secondsAgo));
    }

    TempDir dir;
    HeldIcons icons;
};

QStringList Names(const std::vector<TFolderEntry>& entries)
{
    QStringList names;
    for (const TFolderEntry& entry : entries)
        names << entry.Name;
    return names;
}

}  // namespace

// The listing: no hidden entries, sizes and types; the order by each
// column, folders first (last when descending) whatever their times and
// types: one folder is newer than every file, "C source code" comes
// before "Folder".
TEST_F(FolderTest, AListingIsSortedByTheColumnAskedForWithFoldersFirst)
{
    MakeFolder("sub");
    MakeFolder("new");
    MakeFile("b10.wav", 300);
    MakeFile("b9.wav", 100);
    MakeFile("A.txt", 200);
    MakeFile("x.c", 1);
    MakeFile(".hidden");
    SetTime("b10.wav", 300);
    SetTime("x.c", 250);
    SetTime("b9.wav", 100);
    SetTime("A.txt", 200);
    SetTime("sub", 400);
    SetTime("new", 50);

    const TFolderListing plain = ReadFolder(Folder(), {}, icons);
    ASSERT_TRUE(plain.Exists);
    EXPECT_EQ(Names(plain.Entries), (QStringList{"new", "sub", "A.txt", "b9.wav", "b10.wav", "x.c"}));
    EXPECT_TRUE(plain.Entries[0].IsFolder);
    EXPECT_EQ(plain.Entries[4].Size, 300);
    EXPECT_EQ(plain.Entries[2].Type, icons.type(QFileInfo(PathOf("A.txt"))));

    struct Row {
        TFolderSort sort;
        QStringList names;
    };
    const Row rows[] = {
        {{kNameColumn, Qt::DescendingOrder}, {"x.c", "b10.wav", "b9.wav", "A.txt", "sub", "new"}},
        {{kSizeColumn, Qt::AscendingOrder}, {"new", "sub", "x.c", "b9.wav", "A.txt", "b10.wav"}},
        {{kSizeColumn, Qt::DescendingOrder}, {"b10.wav", "A.txt", "b9.wav", "x.c", "sub", "new"}},
        {{kTypeColumn, Qt::AscendingOrder}, {"new", "sub", "x.c", "A.txt", "b9.wav", "b10.wav"}},
        {{kTypeColumn, Qt::DescendingOrder}, {"b10.wav", "b9.wav", "A.txt", "x.c", "sub", "new"}},
        {{kModifiedColumn, Qt::AscendingOrder}, {"sub", "new", "b10.wav", "x.c", "A.txt", "b9.wav"}},
        {{kModifiedColumn, Qt::DescendingOrder}, {"b9.wav", "A.txt", "x.c", "b10.wav", "new", "sub"}},
    };
    for (const Row& row : rows) {
        std::vector<TFolderEntry> entries = plain.Entries;
        SortEntries(entries, row.sort);
        EXPECT_EQ(Names(entries), row.names) << row.sort.Column << " " << row.sort.Order;
        EXPECT_EQ(Names(ReadFolder(Folder(), row.sort, icons).Entries), row.names);
    }

    EXPECT_FALSE(ReadFolder(PathOf("missing"), {}, icons).Exists);
}

namespace {

class FolderModelTest : public FolderTest {
protected:
    // Shows the folder and waits for its listing.
    void Open(const QString& folder)
    {
        QSignalSpy read(&model, &TFolderModel::FolderRead);
        model.SetFolder(folder);
        ASSERT_TRUE(read.wait(5000));
    }
    void Open() { Open(Folder()); }
    // A read of the folder, and its listing in.
    void Reread()
    {
        QSignalSpy read(&model, &TFolderModel::FolderRead);
        model.Refresh();
        ASSERT_TRUE(read.wait(5000));
    }
    QStringList Names() const
    {
        QStringList names;
        for (int row = 0; row < model.rowCount(); ++row)
            names << model.index(row, 0).data().toString();
        return names;
    }
    QStringList Selected() const
    {
        QStringList names;
        for (const QModelIndex& index : selection.selectedRows())
            names << index.data().toString();
        names.sort();
        return names;
    }
    void Select(const QStringList& paths)
    {
        for (const QString& path : paths)
            selection.select(model.IndexOf(path), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    TFolderModel model{icons};
    QItemSelectionModel selection{&model};
};

}  // namespace

TEST_F(FolderModelTest, TheRowsShowTheFolderAndItsFilesValues)
{
    MakeFolder("sub");
    MakeFile("call.wav", 2048);
    Open();
    EXPECT_EQ(Names(), (QStringList{"sub", "call.wav"}));
    EXPECT_EQ(model.columnCount(), 4);
    const QModelIndex file = model.IndexOf(PathOf("call.wav"));
    ASSERT_TRUE(file.isValid());
    EXPECT_EQ(model.FilePath(file), PathOf("call.wav"));
    EXPECT_EQ(file.data(TFolderModel::FilePathRole).toString(), PathOf("call.wav"));
    EXPECT_FALSE(model.IsFolder(file));
    EXPECT_TRUE(model.IsFolder(model.IndexOf(PathOf("sub"))));
    EXPECT_EQ(file.siblingAtColumn(kSizeColumn).data().toString(), QLocale::system().formattedDataSize(2048));
    EXPECT_EQ(model.IndexOf(PathOf("sub")).siblingAtColumn(kSizeColumn).data().toString(), QString());
    const QDateTime modified = QFileInfo(PathOf("call.wav")).lastModified();
    EXPECT_EQ(file.siblingAtColumn(kModifiedColumn).data().toString(),
              QLocale::system().toString(modified, QLocale::ShortFormat));
    EXPECT_FALSE(model.IndexOf(PathOf("missing")).isValid());
    EXPECT_FALSE(model.IndexOf(QStringLiteral("/call.wav")).isValid());
}

// A read of the same folder goes in as its changes: the rows come in the
// listing's order, the selection and the current row stay on their names,
// whether the changes are a few runs of rows or scattered all over.
TEST_F(FolderModelTest, AReadKeepsTheSelectionAndTheCurrentRowOnTheirNames)
{
    struct Row {
        const char* what;
        int gone;   // every gone-th file is removed
        int added;  // files added between the others
    };
    const Row rows[] = {{"a few runs", 0, 1}, {"one gone", 25, 0}, {"scattered", 2, 40}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string sub = std::string(row.what) + "/";
        MakeFolder(sub);
        const auto name = [&](int n) { return sub + "f" + std::to_string(n) + ".wav"; };
        for (int n = 0; n < 50; ++n)
            MakeFile(name(n * 10));
        Open(PathOf(sub));
        Select({PathOf(name(100)), PathOf(name(200)), PathOf(name(490))});
        selection.setCurrentIndex(model.IndexOf(PathOf(name(200))), QItemSelectionModel::NoUpdate);
        const QPersistentModelIndex held = model.IndexOf(PathOf(name(490)));

        for (int n = 0; row.gone && n < 50; n += row.gone)
            if (n != 10 && n != 20)
                std::filesystem::remove(dir.File(name(n * 10)));
        for (int n = 0; n < row.added; ++n)
            MakeFile(name(n * 10 + 5));
        Reread();

        EXPECT_EQ(Names(), ::Names(ReadFolder(PathOf(sub), {}, icons).Entries));
        EXPECT_EQ(Selected(), (QStringList{"f100.wav", "f200.wav", "f490.wav"}));
        EXPECT_EQ(selection.currentIndex().data().toString(), QStringLiteral("f200.wav"));
        EXPECT_EQ(held.data().toString(), QStringLiteral("f490.wav"));
        selection.clear();
    }
}

// A new sort goes in as one new order: no row leaves or comes, the
// selection, the current row and held indexes stay on their names.
TEST_F(FolderModelTest, ANewSortGoesInAsOneNewOrderKeepingTheSelection)
{
    MakeFile("a.wav", 300);
    MakeFile("b.wav", 100);
    MakeFile("c.wav", 200);
    MakeFile("d.wav", 400);
    Open();
    Select({PathOf("c.wav"), PathOf("d.wav")});
    selection.setCurrentIndex(model.IndexOf(PathOf("b.wav")), QItemSelectionModel::NoUpdate);
    const QPersistentModelIndex held = model.IndexOf(PathOf("a.wav")).siblingAtColumn(kSizeColumn);
    QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    struct Row {
        TFolderSort sort;
        QStringList names;
    };
    const Row rows[] = {
        {{kSizeColumn, Qt::DescendingOrder}, {"d.wav", "a.wav", "c.wav", "b.wav"}},
        {{kSizeColumn, Qt::AscendingOrder}, {"b.wav", "c.wav", "a.wav", "d.wav"}},
        {{kNameColumn, Qt::DescendingOrder}, {"d.wav", "c.wav", "b.wav", "a.wav"}},
    };
    for (const Row& row : rows) {
        QSignalSpy read(&model, &TFolderModel::FolderRead);
        const int layoutsBefore = static_cast<int>(layouts.size());
        model.sort(row.sort.Column, row.sort.Order);
        ASSERT_TRUE(read.wait(5000));
        EXPECT_EQ(Names(), row.names);
        EXPECT_EQ(layouts.size(), layoutsBefore + 1);
        EXPECT_EQ(Selected(), (QStringList{"c.wav", "d.wav"}));
        EXPECT_EQ(selection.currentIndex().data().toString(), QStringLiteral("b.wav"));
        EXPECT_EQ(QModelIndex(held).siblingAtColumn(kNameColumn).data().toString(), QStringLiteral("a.wav"));
        EXPECT_EQ(held.column(), kSizeColumn);
    }
    EXPECT_EQ(removed.size(), 0);
    EXPECT_EQ(inserted.size(), 0);
    EXPECT_EQ(reset.size(), 0);
}

// A sort right after the model's own changes (a folder row put in before
// its read, a rename) never brings back the rows from before them.
TEST_F(FolderModelTest, ASortRightAfterANewFolderOrARenameKeepsThem)
{
    MakeFile("a.wav", 10);
    MakeFile("b.wav", 20);
    Open();
    MakeFolder("c");
    const QPersistentModelIndex folder = model.AddFolderRow(QStringLiteral("c"));
    QSignalSpy read(&model, &TFolderModel::FolderRead);
    model.sort(kNameColumn, Qt::DescendingOrder);
    ASSERT_TRUE(read.wait(5000));
    EXPECT_EQ(Names(), (QStringList{"b.wav", "a.wav", "c"}));
    EXPECT_EQ(folder.data().toString(), QStringLiteral("c"));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.Reading(); }, 5000));
    ASSERT_TRUE(model.setData(model.IndexOf(PathOf("a.wav")), QStringLiteral("z.wav"), Qt::EditRole));
    model.sort(kSizeColumn, Qt::AscendingOrder);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.Reading(); }, 5000));
    QTest::qWait(2 * TFolderModel::kMinReadGapMs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.Reading(); }, 5000));
    EXPECT_EQ(Names(), (QStringList{"c", "z.wav", "b.wav"}));
}

// The watch reports what happens in the folder while it is being read: the
// read in progress may have listed a file before it went, so another read
// follows it.
TEST_F(FolderModelTest, AChangeDuringAReadIsReadAfterIt)
{
    MakeFile("a.wav");
    MakeFile("b.wav");
    Open();
    icons.Hold();
    const auto release = qScopeGuard([&] { icons.Release(); });
    QSignalSpy read(&model, &TFolderModel::FolderRead);
    model.Refresh();
    const QString held = icons.WaitHeld();
    ASSERT_FALSE(held.isEmpty());
    std::filesystem::remove(dir.File(held.toStdString()));
    QTest::qWait(300);  // the watch's report comes in
    ASSERT_TRUE(model.Reading());
    icons.Release();
    ASSERT_TRUE(read.wait(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !model.IndexOf(PathOf(held.toStdString())).isValid(); }, 3000))
        << held.toStdString() << " is still shown";
    EXPECT_EQ(model.rowCount(), 1);
}

// Writes into a file that was there already, and a new time set on it,
// show without a refresh.
TEST_F(FolderModelTest, AFileThatGrowsShowsItsSizeAndTimeWithoutARefresh)
{
    MakeFile("call.wav", 4);
    // Both times, as touch sets them: a change of the file's attributes.
    const timespec old[2] = {{1577880000, 0}, {1577880000, 0}};  // 1 Jan 2020
    const auto setOld = [&] { ASSERT_EQ(::utimensat(AT_FDCWD, dir.File("call.wav").c_str(), old, 0), 0); };
    setOld();
    Open();
    const auto shown = [&](int column) {
        return model.IndexOf(PathOf("call.wav")).siblingAtColumn(column).data().toString();
    };
    EXPECT_EQ(shown(kSizeColumn), QLocale::system().formattedDataSize(4));
    const QString oldTime = shown(kModifiedColumn);
    for (int step = 1; step <= 2; ++step) {
        std::ofstream(dir.File("call.wav"), std::ios::app) << std::string(1000000, 'x');
        const QString size = QLocale::system().formattedDataSize(4 + step * 1000000);
        EXPECT_TRUE(QTest::qWaitFor([&] { return shown(kSizeColumn) == size; }, 5000))
            << "step " << step << ": " << shown(kSizeColumn).toStdString();
        EXPECT_NE(shown(kModifiedColumn), oldTime);
    }
    // The reads the writes asked for are done: only the new time reads again.
    QTest::qWait(2 * TFolderModel::kMinReadGapMs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.Reading(); }, 5000));
    setOld();
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown(kModifiedColumn) == oldTime; }, 5000))
        << shown(kModifiedColumn).toStdString();
}

// Another program writes a new file in two steps: its final size shows.
TEST_F(FolderModelTest, AFileWrittenByAnotherProcessShowsItsFinalSizeWithoutARefresh)
{
    MakeFile("old.wav");
    Open();
    QProcess writer;
    writer.setWorkingDirectory(Folder());
    writer.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("head -c 600000 /dev/zero > new.wav; sleep 0.6; "
                                                       "head -c 600000 /dev/zero >> new.wav")});
    ASSERT_TRUE(writer.waitForStarted());
    const QString finalSize = QLocale::system().formattedDataSize(1200000);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return model.IndexOf(PathOf("new.wav")).siblingAtColumn(kSizeColumn).data().toString() == finalSize; },
        5000))
        << model.IndexOf(PathOf("new.wav")).siblingAtColumn(kSizeColumn).data().toString().toStdString();
    writer.waitForFinished();
    EXPECT_EQ(writer.exitCode(), 0);
}

// A folder that changes all the time is read a few times a second, not once
// a change.
TEST_F(FolderModelTest, ChangesAreReadAFewTimesASecondAtMost)
{
    Open();
    QSignalSpy read(&model, &TFolderModel::FolderRead);
    std::atomic<bool> stop = false;
    std::thread writer([&] {
        for (int n = 0; !stop; ++n) {
            MakeFile("f" + std::to_string(n % 50) + ".wav");
            if (n % 50 == 49)
                for (int m = 0; m < 50; ++m)
                    std::filesystem::remove(dir.File("f" + std::to_string(m) + ".wav"));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    QTest::qWait(2000);
    stop = true;
    writer.join();
    EXPECT_GE(read.size(), 2);
    EXPECT_LE(read.size(), 2000 / TFolderModel::kMinReadGapMs + 2);
}

TEST_F(FolderModelTest, AFolderGoneFromOutsideIsReported)
{
    MakeFolder("sub");
    MakeFile("sub/a.wav");
    Open(PathOf("sub"));
    QSignalSpy gone(&model, &TFolderModel::FolderGone);
    std::filesystem::remove_all(dir.File("sub"));
    ASSERT_TRUE(gone.wait(5000));
    EXPECT_EQ(gone.at(0).at(0).toString(), PathOf("sub"));
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(FolderModelTest, RenamingNeverReplacesAnotherFile)
{
    MakeFile("a.wav", 10);
    MakeFile("b.wav", 20);
    Open();
    const QModelIndex a = model.IndexOf(PathOf("a.wav"));
    EXPECT_FALSE(model.setData(a, QStringLiteral("b.wav"), Qt::EditRole));
    EXPECT_EQ(std::filesystem::file_size(dir.File("b.wav")), 20u);
    EXPECT_FALSE(model.setData(a, QStringLiteral("x/y.wav"), Qt::EditRole));
    EXPECT_TRUE(model.setData(a, QStringLiteral("c.wav"), Qt::EditRole));
    EXPECT_EQ(std::filesystem::file_size(dir.File("c.wav")), 10u);
    EXPECT_EQ(a.data().toString(), QStringLiteral("c.wav"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Names() == QStringList{"b.wav", "c.wav"}; }, 5000));
}

// A folder just made has its row at once, in its place.
TEST_F(FolderModelTest, ANewFolderHasItsRowBeforeTheRead)
{
    MakeFolder("b");
    MakeFile("a.wav");
    Open();
    MakeFolder("c");
    const QModelIndex row = model.AddFolderRow(QStringLiteral("c"));
    EXPECT_EQ(row.row(), 1);
    EXPECT_EQ(Names(), (QStringList{"b", "c", "a.wav"}));
    Reread();
    EXPECT_EQ(Names(), (QStringList{"b", "c", "a.wav"}));
    EXPECT_FALSE(model.AddFolderRow(QStringLiteral("missing")).isValid());
}

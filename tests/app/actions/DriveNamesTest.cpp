// Flash-drive entries whose stored names begin with "\" (another tool
// wrote them) beside ones that do not: every action of the main window
// reaches the entry the user chose, and none makes a second entry of one
// name. Over a SimRecorder with built content; the jobs run for real.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTreeView>
#include <algorithm>

#include "app/actions/CopyToPcActions.h"
#include "app/actions/CopyToRecorderActions.h"
#include "app/dialogs/ModalResult.h"
#include "app/lists/ContentListsController.h"
#include "app/lists/DriveListView.h"
#include "app/lists/FileList.h"
#include "app/lists/ViewSelection.h"
#include "core/flash/BlockList.h"
#include "core/flash/DriveFileInfo.h"
#include "core/flash/DriveFileList.h"
#include "core/recorder/CustomRecorder.h"
#include "tests/app/SimWindowFixture.h"
#include "tests/support/ContentBuilder.h"

namespace {

struct StoredFile {
    std::u16string name;  // a trailing "\" makes a folder
    QByteArray data;
};

}  // namespace

class DriveNamesTest : public SimWindowFixture {
protected:
    DriveNamesTest() : SimWindowFixture(SmallFlashGeometry(32, 8)) {}

    void Connect(const std::vector<StoredFile>& files)
    {
        ContentBuilder builder(ContentGeometry::Of(sim));
        std::uint16_t number = 0;
        for (const StoredFile& file : files) {
            DriveFileSpec spec;
            spec.number = ++number;
            spec.folder = !file.name.empty() && file.name.back() == u'\\';
            spec.name = spec.folder ? file.name.substr(0, file.name.size() - 1) : file.name;
            spec.data.assign(file.data.begin(), file.data.end());
            builder.AddDriveFile(spec);
        }
        builder.WriteTo(sim);
        ASSERT_NO_FATAL_FAILURE(ConnectSim(3));
        Pass();
        ASSERT_EQ(connection->Recorder()->GetDriveFiles()->Count(), static_cast<int>(files.size()));
        out = HomePath() + QStringLiteral("/Out/");
        pc = HomePath() + QStringLiteral("/Pc/");
        QDir().mkpath(out);
        QDir().mkpath(pc);
        ProgramOptions.DefFolder = out;
        window->Lists().ShowDriveView();
        window->CopyToPc().AskOverwrite = [](QString&, bool) { return static_cast<int>(mrYes); };
        TCopyToRecorderActions& toRecorder = window->CopyToRecorder();
        toRecorder.SelectedPaths = [this] { return selected; };
        toRecorder.AskOverwrite = [this](QString& target, bool) {
            asked << target;
            if (OnAsk)
                OnAsk();
            return static_cast<int>(mrYes);
        };
        const auto upload = toRecorder.UploadFile;
        toRecorder.UploadFile = [this, upload](TCustomRecorder* recorder, const QString& source,
                                               const TFileListItem& entry, const QString& storedName) {
            uploaded << storedName;
            return upload(recorder, source, entry, storedName);
        };
    }

    TDriveFileList& Files() const { return *connection->Recorder()->GetDriveFiles(); }

    // The stored names, sorted.
    QStringList StoredNames() const
    {
        QStringList names;
        for (int i = 0; i < Files().Count(); ++i)
            names << Files().Item(i)->Name;
        names.sort();
        return names;
    }

    // The row of the current folder that shows the file stored exactly so.
    int RowOf(const QString& storedName) const
    {
        const TFilteredFileList& view = window->Lists().DriveFolderView();
        for (int row = 0; row < view.Count(); ++row) {
            const int index = view.Items(row)->DriveFileIndex;
            if (index >= 0 && index < Files().Count() && Files().Item(index)->Name == storedName)
                return row;
        }
        return -1;
    }

    void RunOn(const QString& storedName, QAction* action)
    {
        const int row = RowOf(storedName);
        ASSERT_GE(row, 0) << storedName.toStdString();
        window->Lists().Drive().View().clearSelection();
        ::SelectRows(window->Lists().Drive().View(), {row});
        window->Lists().UpdateActions();
        window->CopyToPc().UpdateActions();
        ASSERT_TRUE(action->isEnabled()) << action->objectName().toStdString();
        action->trigger();
    }

    void CopyToRecorder(const QStringList& paths)
    {
        selected = paths;
        window->CopyToRecorder().actCopyToRecUpdate();
        ASSERT_TRUE(window->actCopyToRec->isEnabled());
        window->actCopyToRec->trigger();
    }

    QString PcFile(const QString& relative, const QByteArray& data) const
    {
        const QString path = pc + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return path;
    }

    QByteArray Copied(const QString& relative) const
    {
        QFile file(out + relative);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    QString out;
    QString pc;
    QStringList selected;
    QStringList asked;
    QStringList uploaded;
    std::function<void()> OnAsk;
};

TEST_F(DriveNamesTest, EveryActionReachesTheEntryChosen)
{
    ASSERT_NO_FATAL_FAILURE(Connect({{u"\\big.bin", QByteArray(100, 'O')},
                                     {u"\\Docs\\", {}},
                                     {u"\\Docs\\a.txt", QByteArray(50, 'a')},
                                     {u"\\twin.bin", QByteArray(30, 'L')},
                                     {u"twin.bin", QByteArray(40, 'P')},
                                     {u"DOCS\\", {}},
                                     {u"DOCS\\b.txt", QByteArray(20, 'b')}}));
    // Both forms are listed in the folder they name, each as its own row.
    ASSERT_EQ(window->Lists().DriveFolderView().Count(), 5);

    // Copy: each row gives its own file's bytes.
    RunOn(QStringLiteral("\\twin.bin"), window->actCopyToDefFolder);
    EXPECT_EQ(Copied(QStringLiteral("twin.bin")), QByteArray(30, 'L'));
    RunOn(QStringLiteral("twin.bin"), window->actCopyToDefFolder);
    EXPECT_EQ(Copied(QStringLiteral("twin.bin")), QByteArray(40, 'P'));
    RunOn(QStringLiteral("\\Docs"), window->actCopyToDefFolder);
    EXPECT_EQ(Copied(QStringLiteral("Docs/a.txt")), QByteArray(50, 'a'));
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("Docs/b.txt")));

    // Copy to recorder finds the entries stored with "\": the existing
    // folder is skipped, each file asked about and overwritten in place.
    PcFile(QStringLiteral("Docs/a.txt"), QByteArray(60, 'z'));
    CopyToRecorder({PcFile(QStringLiteral("big.bin"), QByteArray(200, 'N')), pc + QStringLiteral("Docs")});
    EXPECT_EQ(asked, (QStringList{"big.bin", "Docs\\a.txt"}));
    EXPECT_EQ(uploaded, (QStringList{"big.bin", "Docs\\a.txt"}));
    EXPECT_EQ(StoredNames(),
              (QStringList{"DOCS", "DOCS\\b.txt", "Docs\\a.txt", "\\Docs", "\\twin.bin", "big.bin", "twin.bin"}));

    // The download of the overwritten entries gives the new bytes.
    RunOn(QStringLiteral("big.bin"), window->actCopyToDefFolder);
    EXPECT_EQ(Copied(QStringLiteral("big.bin")), QByteArray(200, 'N'));
    RunOn(QStringLiteral("\\Docs"), window->actCopyToDefFolder);
    EXPECT_EQ(Copied(QStringLiteral("Docs/a.txt")), QByteArray(60, 'z'));

    // Erase takes the row chosen, of two of one name too, and a folder
    // stored with "\" with everything in it (not a folder whose name differs
    // in case).
    boxes.Queue({IDYES, IDYES});
    RunOn(QStringLiteral("twin.bin"), window->actRecErase);
    RunOn(QStringLiteral("\\Docs"), window->actRecErase);
    EXPECT_EQ(StoredNames(), (QStringList{"DOCS", "DOCS\\b.txt", "\\twin.bin", "big.bin"}));
    RunOn(QStringLiteral("\\twin.bin"), window->actCopyToDefFolder);
    EXPECT_EQ(Copied(QStringLiteral("twin.bin")), QByteArray(30, 'L'));
    for (const QString& text : boxes.Texts())
        EXPECT_FALSE(text.startsWith(QStringLiteral("Can't open"))) << text.toStdString();
}

// The old file's erase fails (its block changed while the question was up):
// nothing is uploaded beside it, the failure is told, and the copy ends.
TEST_F(DriveNamesTest, AnOverwriteUploadsOnlyOnceTheOldFileIsErased)
{
    ASSERT_NO_FATAL_FAILURE(Connect({{u"\\old.bin", QByteArray(100, 'O')}}));
    const std::uint32_t block = Files().Item(0)->Blocks->Item(0)->Block;
    OnAsk = [&] { sim.EraseBlock(block); };
    CopyToRecorder({PcFile(QStringLiteral("old.bin"), QByteArray(10, 'N')), PcFile(QStringLiteral("next.txt"), "n")});
    EXPECT_EQ(asked, (QStringList{"old.bin"}));
    EXPECT_TRUE(uploaded.isEmpty()) << uploaded.join(',').toStdString();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_FALSE(boxes.Boxes[0].Text.isEmpty());
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

// A full drive: an overwrite one byte larger than the blocks the old file
// frees is refused and leaves the old file; one that fits them goes.
TEST_F(DriveNamesTest, AnOverwriteCountsTheRoomItsEraseFrees)
{
    const ContentGeometry geometry = ContentGeometry::Of(sim);
    const int blockData = 2024 * geometry.pagesPerBlock - 64;
    const int dataBlocks = static_cast<int>(geometry.totalBlocks - geometry.firstDataBlock);
    // The filler takes every block but one, the old file of one byte that one.
    const QByteArray filler((dataBlocks - 1) * blockData - (2024 - 64), 'f');
    ASSERT_NO_FATAL_FAILURE(Connect({{u"filler.bin", filler}, {u"\\old.bin", "O"}}));
    ASSERT_EQ(connection->Recorder()->GetFreeDriveMemory(), 0);
    const int oneBlock = 2024 * (geometry.pagesPerBlock - 1);
    const struct {
        int bytes;
        bool overwritten;
    } cases[] = {{oneBlock + 1, false}, {oneBlock, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        uploaded.clear();
        boxes.Boxes.clear();
        CopyToRecorder({PcFile(QStringLiteral("old.bin"), QByteArray(c.bytes, 'N'))});
        EXPECT_EQ(uploaded.size(), c.overwritten ? 1 : 0);
        EXPECT_EQ(boxes.Texts(), c.overwritten ? std::vector<QString>{}
                                               : std::vector<QString>{"Not enough space to locate file old.bin"});
        const int index = Files().IndexOfName(QStringLiteral("old.bin"));
        ASSERT_GE(index, 0);
        EXPECT_EQ(Files().Item(index)->Size, c.overwritten ? c.bytes : 1);
        EXPECT_EQ(Files().Count(), 2);
    }
}

// Every entry takes a block for its name: an empty file or folder does not
// fit a drive without a free block and is told as a file too large is.
TEST_F(DriveNamesTest, AnEmptyFileOrFolderIsNotSentToAFullDrive)
{
    const ContentGeometry geometry = ContentGeometry::Of(sim);
    const int blockData = 2024 * geometry.pagesPerBlock - 64;
    const int dataBlocks = static_cast<int>(geometry.totalBlocks - geometry.firstDataBlock);
    ASSERT_NO_FATAL_FAILURE(Connect({{u"filler.bin", QByteArray(dataBlocks * blockData - (2024 - 64), 'f')}}));
    ASSERT_EQ(connection->Recorder()->GetFreeDriveMemory(), 0);
    QDir().mkpath(pc + QStringLiteral("Empty"));
    CopyToRecorder({PcFile(QStringLiteral("empty.txt"), {}), pc + QStringLiteral("Empty")});
    EXPECT_TRUE(uploaded.isEmpty());
    EXPECT_EQ(boxes.Texts(), (std::vector<QString>{QStringLiteral("Not enough space to locate file empty.txt"),
                                                   QStringLiteral("Not enough space to locate file Empty")}));
    EXPECT_EQ(StoredNames(), (QStringList{"filler.bin"}));
}

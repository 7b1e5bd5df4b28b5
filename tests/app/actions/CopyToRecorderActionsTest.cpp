#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <numeric>
#include <stdexcept>

#include "app/actions/CopyToRecorderActions.h"
#include "app/dialogs/ModalResult.h"
#include "app/lists/ContentListsController.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "audio/WaveFile.h"
#include "core/flash/DriveFileInfo.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileInfo.h"
#include "core/flash/SoundFileList.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/MessageBoxCodes.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/ModalDialogRunner.h"
#include "tests/app/lists/DemoContent.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/ImageBuilder.h"

namespace {

// A demo image with recordings of the given numbers and flash-drive files
// (name, bytes; 0 bytes and a trailing "\" make a folder).
void WriteImage(const std::string& path, const std::vector<std::uint16_t>& records,
                const std::vector<std::pair<std::u16string, std::size_t>>& files)
{
    ImageBuilder image = SmallDemoImage();
    ContentBuilder content(SmallDemoContentGeometry());
    std::uint32_t start = 1700000000;
    for (std::uint16_t number : records) {
        RecordingSpec spec;
        spec.number = number;
        spec.start = start += 1000;
        content.AddRecording(spec);
    }
    std::uint16_t number = 0;
    for (const auto& [name, bytes] : files) {
        DriveFileSpec spec;
        spec.number = ++number;
        spec.folder = !name.empty() && name.back() == u'\\';
        spec.name = spec.folder ? name.substr(0, name.size() - 1) : name;
        spec.data.assign(bytes, 0x41);
        content.AddDriveFile(spec);
    }
    content.WriteTo(image);
    image.Write(path);
}

}  // namespace

// The main window in demo mode; the uploads run for real on the demo image
// and are recorded on the way.
class CopyToRecorderTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        pc = HomePath() + QStringLiteral("/Pc/");
        QDir().mkpath(pc);
    }

    void Connect(const std::vector<std::uint16_t>& records,
                 const std::vector<std::pair<std::u16string, std::size_t>>& files = {})
    {
        WriteImage((DocumentsPath() + QStringLiteral("ZEL4_DEMO.QDM")).toStdString(), records, files);
        ASSERT_NO_FATAL_FAILURE(ShowConnectedToDemo());
        window->actRecRefresh->trigger();
        actions = &window->CopyToRecorder();
        actions->SelectedPaths = [this] { return selected; };
        const auto uploadWave = actions->UploadWave;
        actions->UploadWave = [this, uploadWave](TCustomRecorder* recorder, const QString& path, std::uint16_t record) {
            numbers.push_back(record);
            return uploadWave(recorder, path, record);
        };
        const auto uploadFile = actions->UploadFile;
        actions->UploadFile = [this, uploadFile](TCustomRecorder* recorder, const QString& source,
                                                 const TFileListItem& entry, const QString& storedName) {
            stored << storedName;
            return uploadFile(recorder, source, entry, storedName);
        };
        actions->AskOverwrite = [this](QString& target, bool renameAllowed) {
            asked << target;
            EXPECT_FALSE(renameAllowed);
            if (answers.empty())
                return static_cast<int>(mrNo);
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        };
    }

    QString Wave(const QString& name)
    {
        const QString path = pc + name;
        TWaveFile wave(path);
        TWaveFile::SetPcmFormat(&wave.FormatBlock(), 1, 8000, 16);
        EXPECT_TRUE(wave.Create());
        std::vector<std::int16_t> data(800, 100);
        wave.Write(data.data(), static_cast<std::int32_t>(data.size() * 2));
        EXPECT_TRUE(wave.Close());
        return path;
    }

    QString Text(const QString& relative, int bytes = 10)
    {
        const QString path = pc + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(bytes, 'x'));
        return path;
    }

    void Run()
    {
        window->actCopyToRec->setEnabled(false);
        actions->actCopyToRecUpdate();
        ASSERT_TRUE(window->actCopyToRec->isEnabled());
        window->actCopyToRec->trigger();
        EXPECT_FALSE(window->UiLock().IsLocked());
    }

    void ChooseCompression(bool ok)
    {
        WhenModalShown(QStringLiteral("frmFmtChoose"), [ok](QWidget* dialog) {
            dialog->findChild<QPushButton*>(ok ? QStringLiteral("OKBtn") : QStringLiteral("CancelBtn"))->click();
        });
    }

    std::vector<std::uint16_t> RecordNumbers()
    {
        std::vector<std::uint16_t> result;
        TSoundFileList* files = connection->Recorder()->GetSoundFiles();
        for (int i = 0; i < files->Count(); ++i)
            result.push_back(files->Item(i)->Number);
        std::sort(result.begin(), result.end());
        return result;
    }

    QStringList DriveNames()
    {
        if (connection->Recorder()->IsContentChanged())
            connection->RefreshRecorderContent();
        QStringList names;
        TDriveFileList* files = connection->Recorder()->GetDriveFiles();
        for (int i = 0; i < files->Count(); ++i)
            names << files->Item(i)->Name;
        names.sort();
        return names;
    }

    void ShowDrive(const QString& folder)
    {
        window->actShowDrv->trigger();
        window->Lists().DriveFolderView().SetFolder(folder);
    }

    QString pc;
    TCopyToRecorderActions* actions = nullptr;
    QStringList selected;
    std::vector<std::uint16_t> numbers;
    QStringList stored;
    QStringList asked;
    std::deque<int> answers;
};

TEST_F(CopyToRecorderTest, DisabledWithoutSelectionOrConnection)
{
    Connect({1});
    actions->actCopyToRecUpdate();
    EXPECT_FALSE(window->actCopyToRec->isEnabled());
    selected = {Wave(QStringLiteral("a.wav"))};
    actions->actCopyToRecUpdate();
    EXPECT_TRUE(window->actCopyToRec->isEnabled());
}

TEST_F(CopyToRecorderTest, CancelledCompressionUploadsNothing)
{
    Connect({7});
    selected = {Wave(QStringLiteral("a.wav"))};
    ChooseCompression(false);
    Run();
    EXPECT_TRUE(numbers.empty());
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(CopyToRecorderTest, WavesFollowTheHighestRecordInSelectionOrder)
{
    Connect({2, 7});
    selected = {Wave(QStringLiteral("c.wav")), Wave(QStringLiteral("a.wav")), Wave(QStringLiteral("b.wav"))};
    ChooseCompression(true);
    Run();
    EXPECT_EQ(numbers, (std::vector<std::uint16_t>{8, 9, 10}));
    connection->RefreshRecorderContent();
    EXPECT_EQ(RecordNumbers(), (std::vector<std::uint16_t>{2, 7, 8, 9, 10}));
}

TEST_F(CopyToRecorderTest, NonWaveItemsAreToldAndSkipped)
{
    Connect({1});
    QDir().mkpath(pc + QStringLiteral("folder"));
    selected = {Wave(QStringLiteral("a.wav")), Text(QStringLiteral("note.txt")), pc + QStringLiteral("folder")};
    ChooseCompression(true);
    Run();
    EXPECT_EQ(numbers, (std::vector<std::uint16_t>{2}));
    EXPECT_EQ(boxes.Texts(), (std::vector<QString>{QStringLiteral("note.txt is not wave file."),
                                                   QStringLiteral("folder is not wave file.")}));
}

TEST_F(CopyToRecorderTest, NoRecordNumberBeyondTheRecordRange)
{
    Connect({0x7FFF});
    selected = {Wave(QStringLiteral("a.wav"))};
    ChooseCompression(true);
    Run();
    EXPECT_TRUE(numbers.empty());
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith(QStringLiteral("The recorder has no free record number")));
}

// A full recorder: the one OK/Cancel message for the first wave, nothing
// uploaded and no file asked whether to be stored partly (which, answered
// Yes, would store an empty recording and call it done).
TEST_F(CopyToRecorderTest, NoFreeMemoryTellsOnceAndUploadsNothing)
{
    std::vector<std::uint16_t> full(31);
    std::iota(full.begin(), full.end(), std::uint16_t{1});
    Connect(full);
    ASSERT_EQ(connection->Recorder()->GetFreeMemory(), 0);
    const QString first = Wave(QStringLiteral("a.wav"));
    selected = {first, Wave(QStringLiteral("b.wav"))};
    boxes.Queue({IDOK, IDYES, IDYES});
    ChooseCompression(true);
    Run();
    EXPECT_TRUE(numbers.empty());
    ASSERT_EQ(boxes.Boxes.size(), 1u) << boxes.Boxes.back().Text.toStdString();
    EXPECT_EQ(boxes.Boxes[0].Text, "Not enough space to locate file " + first);
    EXPECT_EQ(boxes.Boxes[0].Flags & 0xF, std::uint32_t{MB_OKCANCEL});
    connection->RefreshRecorderContent();
    EXPECT_EQ(RecordNumbers(), full);
}

TEST_F(CopyToRecorderTest, TreeLandsUnderTheViewFolderWithRelativeNames)
{
    Connect({1}, {{u"A\\", 0}});
    Text(QStringLiteral("Root/sub/x.txt"));
    const QString single = Text(QStringLiteral("one.txt"));
    selected = {pc + QStringLiteral("Root"), single};
    ShowDrive(QStringLiteral("\\A\\"));
    Run();
    EXPECT_EQ(stored, (QStringList{"A\\Root", "A\\Root\\sub", "A\\Root\\sub\\x.txt", "A\\one.txt"}));
    EXPECT_EQ(DriveNames(), (QStringList{"A", "A\\Root", "A\\Root\\sub", "A\\Root\\sub\\x.txt", "A\\one.txt"}));
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(CopyToRecorderTest, ExistingFilesFollowTheAnswers)
{
    struct Case {
        const char* name;
        std::vector<int> answers;
        QStringList asked;
        QStringList stored;
    };
    // In order: the first run adds c.txt, later runs find it.
    const Case cases[] = {
        {"skip all", {mrNoToAll}, {"D\\a.txt"}, {"D\\c.txt"}},
        {"overwrite all", {mrYesToAll}, {"D\\a.txt"}, {"D\\a.txt", "D\\b.txt", "D\\c.txt"}},
        {"cancel", {mrCancel}, {"D\\a.txt"}, {}},
        {"one by one", {mrNo, mrYes, mrNo}, {"D\\a.txt", "D\\b.txt", "D\\c.txt"}, {"D\\b.txt"}},
    };
    Connect({1}, {{u"D\\", 0}, {u"D\\a.txt", 50}, {u"D\\b.txt", 50}});
    Text(QStringLiteral("D/a.txt"));
    Text(QStringLiteral("D/b.txt"));
    Text(QStringLiteral("D/c.txt"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The folder exists already: it is skipped without a question.
        selected = {pc + QStringLiteral("D")};
        answers.assign(c.answers.begin(), c.answers.end());
        asked.clear();
        stored.clear();
        ShowDrive(QStringLiteral("\\"));
        Run();
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(stored, c.stored);
        // Every run leaves the files each once, the old ones where skipped.
        EXPECT_EQ(DriveNames(), (QStringList{"D", "D\\a.txt", "D\\b.txt", "D\\c.txt"}));
    }
}

TEST_F(CopyToRecorderTest, TooLargeFileIsToldAndLaterFilesStillGo)
{
    Connect({1});
    ShowDrive(QStringLiteral("\\"));
    const std::int64_t free = connection->Recorder()->GetFreeDriveMemory();
    selected = {Text(QStringLiteral("big.bin"), static_cast<int>(free + 1)), Text(QStringLiteral("small.txt"))};
    Run();
    EXPECT_EQ(stored, (QStringList{"small.txt"}));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("Not enough space to locate file big.bin"));
}

TEST_F(CopyToRecorderTest, OverwriteThatCannotFitKeepsTheOldFile)
{
    Connect({1}, {{u"old.bin", 100}});
    ShowDrive(QStringLiteral("\\"));
    const std::int64_t free = connection->Recorder()->GetFreeDriveMemory();
    selected = {Text(QStringLiteral("old.bin"), static_cast<int>(free + 2112 * 64))};
    answers = {mrYes};
    Run();
    EXPECT_TRUE(stored.isEmpty());
    EXPECT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(DriveNames(), (QStringList{"old.bin"}));
}

TEST_F(CopyToRecorderTest, ErrorEndsTheActionShownOnceAndUnlocked)
{
    Connect({1});
    ShowDrive(QStringLiteral("\\"));
    actions->UploadFile = [this](TCustomRecorder*, const QString&, const TFileListItem&, const QString& storedName) {
        stored << storedName;
        throw std::runtime_error("link lost");
        return false;
    };
    selected = {Text(QStringLiteral("a.txt")), Text(QStringLiteral("b.txt"))};
    Run();
    EXPECT_EQ(stored, (QStringList{"a.txt"}));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(QStringLiteral("link lost")));
}

TEST_F(CopyToRecorderTest, NameWithBackslashIsRefusedAndTheRestGoes)
{
    Connect({1});
    ShowDrive(QStringLiteral("\\"));
    selected = {Text(QStringLiteral("a\\b.txt")), Text(QStringLiteral("ok.txt"))};
    Run();
    EXPECT_EQ(stored, (QStringList{"ok.txt"}));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("A recorder name cannot hold \"\\\": a\\b.txt"));
    EXPECT_EQ(DriveNames(), (QStringList{"ok.txt"}));
}

TEST_F(CopyToRecorderTest, ABatchScansOnceAtItsEnd)
{
    Connect({1});
    ShowDrive(QStringLiteral("\\"));
    selected = {Text(QStringLiteral("a.txt")), Text(QStringLiteral("b.txt")), Text(QStringLiteral("c.txt"))};
    const TConnectionController::TRefreshStats before = connection->RefreshStats();
    Run();
    const TConnectionController::TRefreshStats after = connection->RefreshStats();
    EXPECT_EQ(stored, (QStringList{"a.txt", "b.txt", "c.txt"}));
    // Each upload filed its file into the lists; one scan ends the batch
    // and leaves them current.
    EXPECT_EQ(after.Count - before.Count, 1);
    EXPECT_GT(after.Nanoseconds, before.Nanoseconds);
    EXPECT_FALSE(connection->Recorder()->IsContentChanged());
    EXPECT_EQ(DriveNames(), (QStringList{"a.txt", "b.txt", "c.txt"}));
}

// A FIFO or a file that went away between the listing and its turn is
// skipped without blocking, and the one report at the end names each.
TEST_F(CopyToRecorderTest, SpecialAndVanishedFilesAreSkippedAndReported)
{
    Connect({1});
    ShowDrive(QStringLiteral("\\"));
    Text(QStringLiteral("Box/a.txt"));
    const QString fifo = pc + QStringLiteral("Box/b.pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString gone = Text(QStringLiteral("Box/c.txt"));
    Text(QStringLiteral("Box/d.txt"));
    selected = {pc + QStringLiteral("Box")};
    // c.txt goes once the folder was listed: at the first upload.
    const auto uploadFile = actions->UploadFile;
    actions->UploadFile = [&, uploadFile](TCustomRecorder* recorder, const QString& source, const TFileListItem& entry,
                                          const QString& storedName) {
        QFile::remove(gone);
        return uploadFile(recorder, source, entry, storedName);
    };
    Run();
    EXPECT_EQ(DriveNames(), (QStringList{"Box", "Box\\a.txt", "Box\\d.txt"}));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("These items were not copied:\n") + fifo +
                                       QStringLiteral(": not a regular file\n") + gone +
                                       QStringLiteral(": No such file or directory"));
}

// A path longer than the flash drive stores is refused whole and named; the
// files before and after it still go.
TEST_F(CopyToRecorderTest, TooLongDrivePathIsRefusedAndTheRestGoes)
{
    Connect({1});
    ShowDrive(QStringLiteral("\\"));
    // Four folders of 240 characters fit the stored name; a file in the
    // last one does not.
    QStringList levels;
    for (const char c : {'a', 'b', 'c', 'd'})
        levels << QString(240, QLatin1Char(c));
    const QString folder = levels.join(QLatin1Char('\\'));
    const QString file = folder + QStringLiteral("\\") + QString(50, QLatin1Char('f')) + QStringLiteral(".txt");
    ASSERT_TRUE(connection->Recorder()->DriveNameFits(folder));
    ASSERT_FALSE(connection->Recorder()->DriveNameFits(file));
    Text(QString(file).replace(QLatin1Char('\\'), QLatin1Char('/')));
    selected = {Text(QStringLiteral("a.txt")), pc + levels[0], Text(QStringLiteral("z.txt"))};
    Run();
    QStringList expected{"a.txt", "z.txt"};
    for (int i = 1; i <= levels.size(); ++i)
        expected << levels.mid(0, i).join(QLatin1Char('\\'));
    expected.sort();
    EXPECT_EQ(DriveNames(), expected);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text,
              QStringLiteral("These items were not copied:\nThe name is too long for the flash drive: \\") + file);
}

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "tests/app/actions/CopyToPcFixture.h"

namespace {

// A demo image whose flash-drive files carry names that try to leave the
// target folder, beside one plain file.
void WriteHostileDriveImage(const std::string& path)
{
    ImageBuilder image = SmallDemoImage();
    ContentBuilder content(SmallDemoContentGeometry());
    RecordingSpec recording;
    recording.number = 1;
    recording.start = 1700000000;
    recording.blockCount = 2;
    content.AddRecording(recording);
    const auto file = [&](std::uint16_t number, const char16_t* name, bool folder) {
        DriveFileSpec spec;
        spec.number = number;
        spec.name = name;
        spec.folder = folder;
        if (!folder)
            spec.data.assign(10, 0x41);
        content.AddDriveFile(spec);
    };
    file(1, u"..\\x", false);
    file(2, u"\\etc\\x", false);
    file(3, u"a:b", false);
    file(4, u"..", true);
    file(5, u"OK.TXT", false);
    content.WriteTo(image);
    image.Write(path);
}

}  // namespace

TEST_F(CopyToPcTest, OverwriteAllHoldsOverANewFileAndSkipAllSkips)
{
    Connect();
    Touch(out + QStringLiteral("/rec1.wav"));
    Touch(out + QStringLiteral("/rec3.wav"));
    SelectRows(window->lvRecContent, {"1", "2", "3"});
    answers = {mrYesToAll};
    Run(window->actCopyToDefFolder);
    EXPECT_EQ(asked, (QStringList{"rec1.wav"}));
    ASSERT_EQ(Targets(), (QStringList{"rec1.wav", "rec2.wav", "rec3.wav"}));
    EXPECT_EQ(downloads[0].Start, 0u);

    // A new action forgets the remembered answer; Skip All holds too.
    downloads.clear();
    asked.clear();
    answers = {mrNoToAll};
    Run(window->actCopyToDefFolder);
    EXPECT_EQ(asked, (QStringList{"rec1.wav"}));
    EXPECT_TRUE(downloads.empty());
}

TEST_F(CopyToPcTest, OverwriteQuestionRenamesIntoTheSameFolder)
{
    Connect();
    actions->AskOverwrite = defaultAskOverwrite;
    Touch(out + QStringLiteral("/rec1.wav"));
    SelectRows(window->lvRecContent, {"1"});
    WhenModalShown(QStringLiteral("frmRename"), [](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("edFileName"))->setText(QStringLiteral("renamed.wav"));
        dialog->findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
    });
    bool renameEnabled = false;
    WhenModalShown(QStringLiteral("frmOverwrite"), [&renameEnabled](QWidget* dialog) {
        auto* rename = dialog->findChild<QPushButton*>(QStringLiteral("RenameBtn"));
        renameEnabled = rename->isEnabled();
        rename->click();
    });
    Run(window->actCopyToDefFolder);
    EXPECT_TRUE(renameEnabled);
    ASSERT_EQ(downloads.size(), 1u);
    EXPECT_EQ(downloads[0].Target, out + QStringLiteral("/renamed.wav"));
}

TEST_F(CopyToPcTest, CancelStopsBeforeLaterItemsAndErasesNothing)
{
    Connect();
    Touch(out + QStringLiteral("/rec2.wav"));
    SelectRows(window->lvRecContent, {"1", "2", "3"});
    answers = {mrCancel};
    Run(window->actMoveToDefFolder);
    EXPECT_EQ(Targets(), (QStringList{"rec1.wav"}));
    EXPECT_EQ(eraseCalls, 0);
}

TEST_F(CopyToPcTest, MoveErasesOnlyWhatWasDownloaded)
{
    Connect();
    SelectRows(window->lvRecContent, {"1", "2", "3"});
    failDownloads = {2};
    Run(window->actMoveToDefFolder);
    EXPECT_EQ(Targets(), (QStringList{"rec1.wav", "rec2.wav", "rec3.wav"}));
    EXPECT_EQ(eraseCalls, 1);
    EXPECT_EQ(erasedRecords, (QStringList{"1", "3"}));
}

TEST_F(CopyToPcTest, MissingDefaultFolderShowsPathNotFoundAndCopiesNothing)
{
    Connect();
    ProgramOptions.DefFolder = out + QStringLiteral("/missing");
    SelectRows(window->lvRecContent, {"1"});
    Run(window->actCopyToDefFolder);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("Path not found: ") + out + QStringLiteral("/missing"));
    EXPECT_TRUE(downloads.empty());
}

TEST_F(CopyToPcTest, DialectFormatAsksAboutAnExistingRawFileOnly)
{
    Connect();
    ProgramOptions.DialectFormat = true;
    Touch(out + QStringLiteral("/rec1.wav"));
    SelectRows(window->lvRecContent, {"1"});
    Run(window->actCopyToDefFolder);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(Targets(), (QStringList{"rec1.raw"}));

    answers = {mrNo};
    Run(window->actCopyToDefFolder);
    EXPECT_EQ(asked, (QStringList{"rec1.raw"}));
    EXPECT_EQ(downloads.size(), 1u);
}

TEST_F(CopyToPcTest, VoicePartNameCarriesRecordAndPartNumbers)
{
    Connect(true);
    SelectRows(window->lvRecContent, {"1.2"});
    Run(window->actCopyToDefFolder);
    ASSERT_EQ(downloads.size(), 1u);
    EXPECT_EQ(QFileInfo(downloads[0].Target).fileName(), QStringLiteral("rec1_2.wav"));
    // The recorder's own voice part, which knows its recording.
    EXPECT_EQ(downloads[0].Number, 2);
    EXPECT_EQ(downloads[0].ParentNumber, 1);
}

TEST_F(CopyToPcTest, PartDialogChoosesTheSpanAndItsCancelCopiesNothing)
{
    Connect();
    SelectRows(window->lvRecContent, {"2"});
    window->Lists().UpdateActions();
    actions->UpdateActions();
    EXPECT_TRUE(window->actCopySelPart->isEnabled());

    WhenModalShown(QStringLiteral("frmPartSelect"), [](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    actions->actCopyToPCExecute(TCopyToPcKind::CopySelPart);
    EXPECT_TRUE(downloads.empty());

    WhenModalShown(QStringLiteral("frmPartSelect"), [](QWidget* widget) {
        auto* dialog = static_cast<TfrmPartSelect*>(widget);
        dialog->ResizeLeft(200);
        dialog->accept();
    });
    actions->actCopyToPCExecute(TCopyToPcKind::CopySelPart);
    ASSERT_EQ(downloads.size(), 1u);
    const TRecordList& list = window->Lists().RecordList();
    std::uint32_t whole = 0;
    for (int i = 0; i < list.Count(); ++i)
        if (list.Item(i)->NumberText == QStringLiteral("2"))
            whole = list.Item(i)->Length;
    EXPECT_EQ(downloads[0].Start, whole * 200 / 400);
    EXPECT_LT(downloads[0].Length, whole);
}

TEST_F(CopyToPcTest, UpdateRulesFollowSelectionExplorerAndVoiceParts)
{
    Connect(true);
    const auto update = [this] {
        window->Lists().UpdateActions();
        actions->UpdateActions();
    };
    window->lvRecContent->clearSelection();
    update();
    EXPECT_FALSE(window->actCopyToDefFolder->isEnabled());
    EXPECT_FALSE(window->actCopyToPC->isEnabled());

    SelectRows(window->lvRecContent, {"1"});
    update();
    EXPECT_TRUE(window->actCopyToDefFolder->isEnabled());
    EXPECT_TRUE(window->actMoveToDefFolder->isEnabled());
    EXPECT_EQ(window->actCopyToPC->isEnabled(), window->Explorer().ExplorerShown());
    EXPECT_TRUE(window->actCopySelPart->isEnabled());

    // Without the explorer's folder, nothing goes to the explorer.
    actions->ExplorerFolder = nullptr;
    update();
    EXPECT_FALSE(window->actCopyToPC->isEnabled());
    EXPECT_FALSE(window->actMoveToPC->isEnabled());
    EXPECT_TRUE(window->actCopyToDefFolder->isEnabled());
    EXPECT_FALSE(window->actCopySelPart->isEnabled());

    actions->ExplorerFolder = [this] { return out; };
    window->Explorer().SetExplorerShown(true);
    SelectRows(window->lvRecContent, {"1.1"});
    update();
    EXPECT_FALSE(window->actCopySelPart->isEnabled());
    SelectRows(window->lvRecContent, {"1", "2"});
    update();
    EXPECT_FALSE(window->actCopySelPart->isEnabled());
    SelectRows(window->lvRecContent, {"2"});
    ProgramOptions.DisableEditor = true;
    update();
    EXPECT_FALSE(window->actCopySelPart->isEnabled());
    EXPECT_TRUE(window->actCopyToPC->isEnabled());

    window->SetCopySelPartHidden(true);
    EXPECT_FALSE(window->actCopySelPart->isVisible());
    window->SetCopySelPartHidden(false);
    EXPECT_TRUE(window->actCopySelPart->isVisible());
}

TEST_F(CopyToPcTest, AutomaticDownloadTakesWholeRecordsNeverDownloaded)
{
    Connect(true);
    const TRecordList& list = window->Lists().RecordList();
    for (int i = 0; i < list.Count(); ++i)
        if (list.Item(i)->NumberText == QStringLiteral("2"))
            list.Item(i)->Status = 0x55;
    SelectRows(window->lvRecContent, {"1"});
    window->Lists().RunAutoDownload(true, true);
    EXPECT_EQ(Targets(), (QStringList{"rec1.wav", "rec3.wav"}));
    EXPECT_EQ(erasedRecords, (QStringList{"1", "3"}));
    EXPECT_TRUE(SelectedRows(*window->lvRecContent).empty());

    downloads.clear();
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    window->Lists().RunAutoDownload(false, false);
    EXPECT_EQ(Targets(), (QStringList{"rec1.wav", "rec2.wav", "rec3.wav"}));
    EXPECT_EQ(eraseCalls, 1);
}

TEST_F(CopyToPcTest, DriveFolderIsRecreatedWithItsFilesInSubfolders)
{
    Connect();
    window->Lists().ShowDriveView();
    SelectRows(window->lvDrvContent, {"SUB"});
    Run(window->actMoveToDefFolder);
    EXPECT_TRUE(QFileInfo(out + QStringLiteral("/SUB")).isDir());
    EXPECT_TRUE(QFileInfo(out + QStringLiteral("/SUB/DEEP")).isDir());
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/SUB/INNER.BIN")));
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/SUB/DEEP/X.TXT")));
    EXPECT_EQ(driveDownloads.size(), 2);
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Boxes[0].Text.toStdString();
    // The folders too: every file under them was copied.
    EXPECT_EQ(erasedFiles, (QStringList{"SUB", "INNER.BIN", "DEEP", "X.TXT"}));
}

TEST_F(CopyToPcTest, HostileDriveNamesStayInsideTheTarget)
{
    WriteHostileDriveImage((DocumentsPath() + QStringLiteral("ZEL4_DEMO.QDM")).toStdString());
    Connect();
    window->Lists().ShowDriveView();
    // Every entry at once, whatever folder its name puts it in.
    window->Lists().DriveFolderView().SetIncludeSubfolders(true);
    window->Lists().Drive().SetFolder(QString());
    window->Lists().Drive().SelectAll();
    Run(window->actCopyToDefFolder);
    for (const QString& target : driveDownloads)
        EXPECT_TRUE(QFileInfo(target).absoluteFilePath().startsWith(out + QLatin1Char('/'))) << target.toStdString();
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/OK.TXT")));
    EXPECT_TRUE(driveDownloads.contains(out + QStringLiteral("/x")));
    EXPECT_TRUE(driveDownloads.contains(out + QStringLiteral("/etc/x")));
    // The folder entry ".." is skipped, and the box names it.
    ASSERT_FALSE(boxes.Boxes.empty());
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(QStringLiteral("\"..\"")));
    // Nothing appeared beside the target folder.
    EXPECT_EQ(QDir(HomePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"Documents", "Out", "Program"}));
}

// The real download over the demo image: F6 writes marked wave files.
TEST_F(CopyToPcTest, F6WritesTwoMarkedWaveFiles)
{
    Connect(false, false);
    SelectRows(window->lvRecContent, {"1", "2"});
    window->Lists().UpdateActions();
    actions->UpdateActions();
    ASSERT_TRUE(window->actCopyToDefFolder->isEnabled());
    // F6 is the action's key; the offscreen platform delivers no shortcuts.
    EXPECT_EQ(window->actCopyToDefFolder->shortcut(), QKeySequence(Qt::Key_F6));
    window->actCopyToDefFolder->trigger();
    const QStringList files = QDir(out).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{"rec1.wav", "rec2.wav"}));
    for (const QString& name : files)
        EXPECT_FALSE(downloaded::CheckedAudioOf({out + QLatin1Char('/') + name}).empty());
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Boxes[0].Text.toStdString();
}

// Move of three recordings with the real downloads and erase: the target
// folder goes after the first download. The first file is gone, the others
// were never written: Yes erases nothing and the one kept copy is named.
TEST_F(CopyToPcTest, FolderRemovedMidMoveErasesNothing)
{
    AnswerEraseQuestion(IDYES);
    Connect(false, false);
    actions->EraseItems = realErase;
    const auto download = actions->DownloadRecord;
    int calls = 0;
    actions->DownloadRecord = [&](TCustomRecorder* recorder, const QString& target, TCustomSoundFileInfo* item,
                                  std::uint32_t length, std::uint32_t start, std::vector<TWrittenFile>& written) {
        const bool done = download(recorder, target, item, length, start, written);
        if (++calls == 1)
            QDir(out).removeRecursively();
        return done;
    };
    SelectRows(window->lvRecContent, {"1", "2", "3"});
    Run(window->actMoveToDefFolder);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(RecorderRecords(), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(Asked("ReallyEraseSelRecStr"));
    const std::vector<QString> all = boxes.Texts();
    const QStringList texts(all.begin(), all.end());
    const QStringList kept = texts.filter(LangConst(QStringLiteral("NotVerifiedKeptStr")));
    ASSERT_EQ(kept.size(), 1) << texts.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(kept[0].contains(out + QStringLiteral("/rec1.wav: No such file or directory")));
}

// A full disk: the one message of the download, no file under the final
// name (nor a temporary one), and the recording stays.
TEST_F(CopyToPcTest, FullDiskLeavesNoFileAndErasesNothing)
{
    Connect(false, false);
    actions->EraseItems = realErase;
    SelectRows(window->lvRecContent, {"2"});
    SetStagedFileWriteFault(1, ENOSPC);
    Run(window->actMoveToDefFolder);
    ResetProcessState();
    EXPECT_FALSE(Asked("ReallyEraseSelRecStr"));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith(QStringLiteral("Writing error\n") + out + QStringLiteral("/rec2.wav")))
        << boxes.Boxes[0].Text.toStdString();
    EXPECT_TRUE(boxes.Boxes[0].Text.endsWith(QStringLiteral("No space left on device")));
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    EXPECT_EQ(RecorderRecords(), (QStringList{"1", "2", "3"}));
}

// Move and the automatic delete hand over to the erase action: its
// question comes first, and No erases nothing; Yes erases the copied ones.
TEST_F(CopyToPcTest, MoveAndAutomaticDeleteAskAndNoErasesNothing)
{
    Connect(false, false);
    actions->EraseItems = realErase;
    SelectRows(window->lvRecContent, {"1", "2"});
    Run(window->actMoveToDefFolder);
    EXPECT_TRUE(Asked("ReallyEraseSelRecStr"));
    EXPECT_EQ(RecorderRecords(), (QStringList{"1", "2", "3"}));

    boxes.Boxes.clear();
    window->Lists().RunAutoDownload(false, true);
    EXPECT_TRUE(Asked("ReallyEraseSelRecStr"));
    EXPECT_EQ(RecorderRecords(), (QStringList{"1", "2", "3"}));

    boxes.Boxes.clear();
    answers = {mrYesToAll};
    SelectRows(window->lvRecContent, {"1", "3"});
    boxes.Queue({IDYES});
    Run(window->actMoveToDefFolder);
    EXPECT_TRUE(Asked("ReallyEraseSelRecStr"));
    EXPECT_EQ(RecorderRecords(), (QStringList{"2"}));
    // The erase ended with a rescan: the list shows what the flash holds.
    EXPECT_EQ(Captions(*window->lvRecContent), (QStringList{"2"}));
}

// In the flash-drive view a file whose download failed stays, and so does
// the folder that holds it; what was copied and read back goes.
TEST_F(CopyToPcTest, DriveMoveKeepsAFileWhoseDownloadFailed)
{
    Connect();
    actions->EraseItems = realErase;
    window->Lists().ShowDriveView();
    SelectRows(window->lvDrvContent, {"ROOT.TXT", "SUB"});
    failDriveDownloads = {"INNER.BIN"};
    boxes.Queue({IDYES});
    Run(window->actMoveToDefFolder);
    EXPECT_TRUE(Asked("ReallyEraseSelFilesStr"));
    EXPECT_EQ(RecorderDriveFiles(), (QStringList{"SUB", "SUB\\INNER.BIN"}));
}

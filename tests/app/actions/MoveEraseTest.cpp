// The erase that ends a move and the automatic download: what its question
// shows, and the copies read back only once it was answered.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTreeView>

#include "app/lists/RecordList.h"
#include "tests/app/actions/CopyToPcFixture.h"

namespace {

enum class TMoveKind { MoveToPC, MoveToDefFolder, DriveMove, AutomaticDelete };

struct MoveCase {
    const char* Name;
    TMoveKind Kind;
};

void PrintTo(const MoveCase& move, std::ostream* out)
{
    *out << move.Name;
}

}  // namespace

class MoveEraseTest : public CopyToPcTest {
protected:
    // The real downloads and erase.
    void ConnectForReal()
    {
        ASSERT_NO_FATAL_FAILURE(Connect(false, false));
        actions->EraseItems = realErase;
        window->Explorer().SetExplorerShown(true);
    }

    // The program's start with the automatic download and delete on: the
    // first refresh downloads every recording to the default folder and
    // offers to erase them.
    void StartWithAutomaticDelete()
    {
        StartWith(3);
        ProgramOptions.DefFolder = out;
        ProgramOptions.FileNameMask = QStringLiteral("rec[RN].wav");
        ProgramOptions.AutoDownload = true;
        ProgramOptions.AutoDelete = true;
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        Pass();
        Pass();
        ASSERT_TRUE(connection->FConnected);
    }

    // The move of the case, from the start: its selection and its action;
    // returns the files it writes, relative to the target folder.
    QStringList RunMove(TMoveKind kind)
    {
        if (kind == TMoveKind::AutomaticDelete) {
            StartWithAutomaticDelete();
            return {"rec1.wav", "rec2.wav", "rec3.wav"};
        }
        ConnectForReal();
        if (kind == TMoveKind::DriveMove) {
            window->Lists().ShowDriveView();
            SelectRows(window->lvDrvContent, {"ROOT.TXT", "SUB"});
            Run(window->actMoveToDefFolder);
            return {"ROOT.TXT", "SUB/INNER.BIN", "SUB/DEEP/X.TXT"};
        }
        SelectRows(window->lvRecContent, {"1", "2", "3"});
        Run(kind == TMoveKind::MoveToPC ? window->actMoveToPC : window->actMoveToDefFolder);
        return {"rec1.wav", "rec2.wav", "rec3.wav"};
    }

    QStringList SelectedCaptions(const QTreeView& view) const
    {
        QStringList captions;
        for (int row : SelectedRows(view))
            captions << Captions(view)[row];
        return captions;
    }
};

class MoveCheckTest : public MoveEraseTest, public ::testing::WithParamInterface<MoveCase> {};

// The target folder goes while the erase question is up (a removable disk
// pulled, a network folder gone): Yes erases nothing, and the one warning
// names every file that is not there.
TEST_P(MoveCheckTest, TargetRemovedWhileTheQuestionIsUpErasesNothing)
{
    int copiesWhenAsked = 0;
    AnswerEraseQuestion(IDYES, [&] {
        copiesWhenAsked =
            static_cast<int>(QDir(out).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name).size());
        QDir(out).removeRecursively();
    });
    const QStringList written = RunMove(GetParam().Kind);

    EXPECT_GT(copiesWhenAsked, 0);
    EXPECT_TRUE(Asked("ReallyEraseSelRecStr") || Asked("ReallyEraseSelFilesStr"));
    EXPECT_EQ(RecorderRecords(), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(RecorderDriveFiles(),
              (QStringList{"ROOT.TXT", "SUB", "SUB\\DEEP", "SUB\\DEEP\\X.TXT", "SUB\\INNER.BIN"}));
    const QStringList warnings = BoxesStartingWith("NotVerifiedKeptStr");
    ASSERT_EQ(warnings.size(), 1) << boxes.Texts().size();
    for (const QString& file : written)
        EXPECT_TRUE(warnings[0].contains(out + QLatin1Char('/') + file + QStringLiteral(": No such file or directory")))
            << file.toStdString() << "\n"
            << warnings[0].toStdString();
    // The warning comes once the erase has ended, after the question.
    const std::vector<QString> texts = boxes.Texts();
    EXPECT_EQ(texts.back(), warnings[0]);
}

INSTANTIATE_TEST_SUITE_P(EveryMove, MoveCheckTest,
                         ::testing::Values(MoveCase{"MoveToPC", TMoveKind::MoveToPC},
                                           MoveCase{"MoveToDefFolder", TMoveKind::MoveToDefFolder},
                                           MoveCase{"DriveMove", TMoveKind::DriveMove},
                                           MoveCase{"AutomaticDelete", TMoveKind::AutomaticDelete}),
                         [](const ::testing::TestParamInfo<MoveCase>& info) { return std::string(info.param.Name); });

// One copy goes while the question is up: that item stays and is named,
// the others are erased.
TEST_F(MoveEraseTest, ACopyLostWhileTheQuestionIsUpKeepsOnlyItsRecording)
{
    AnswerEraseQuestion(IDYES, [this] { QFile::remove(out + QStringLiteral("/rec2.wav")); });
    RunMove(TMoveKind::MoveToDefFolder);
    EXPECT_EQ(RecorderRecords(), (QStringList{"2"}));
    const QStringList warnings = BoxesStartingWith("NotVerifiedKeptStr");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(out + QStringLiteral("/rec2.wav")));
    EXPECT_FALSE(warnings[0].contains(QStringLiteral("rec1.wav")));
    EXPECT_FALSE(warnings[0].contains(QStringLiteral("rec3.wav")));
    // The rescan shows what stays, still selected.
    EXPECT_EQ(Captions(*window->lvRecContent), (QStringList{"2"}));
    EXPECT_EQ(SelectedCaptions(*window->lvRecContent), (QStringList{"2"}));
}

// On the flash drive a file whose copy went stays, and so does the folder
// that holds it; the rest of the folder's tree goes.
TEST_F(MoveEraseTest, ADriveCopyLostWhileTheQuestionIsUpKeepsItAndItsFolder)
{
    AnswerEraseQuestion(IDYES, [this] { QFile::remove(out + QStringLiteral("/SUB/INNER.BIN")); });
    RunMove(TMoveKind::DriveMove);
    EXPECT_EQ(RecorderDriveFiles(), (QStringList{"SUB", "SUB\\INNER.BIN"}));
    const QStringList warnings = BoxesStartingWith("NotVerifiedKeptStr");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0].count(QLatin1Char('\n')), 1) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains(out + QStringLiteral("/SUB/INNER.BIN")));
}

// Before the question the list shows what it erases: a recording whose
// overwrite question was answered Skip, and one whose download failed, are
// not selected.
TEST_F(MoveEraseTest, TheQuestionAfterMoveShowsOnlyWhatItErasesSelected)
{
    Connect();
    actions->EraseItems = realErase;
    Touch(out + QStringLiteral("/rec2.wav"));
    answers = {mrNo};
    failDownloads = {2};  // the second download: record 3's
    QStringList selectedWhenAsked;
    bool listShown = false;
    AnswerEraseQuestion(IDNO, [&] {
        selectedWhenAsked = SelectedCaptions(*window->lvRecContent);
        listShown = window->lvRecContent->isVisible();
    });
    SelectRows(window->lvRecContent, {"1", "2", "3"});
    Run(window->actMoveToDefFolder);
    EXPECT_EQ(asked, (QStringList{"rec2.wav"}));
    EXPECT_EQ(Targets(), (QStringList{"rec1.wav", "rec3.wav"}));
    EXPECT_TRUE(Asked("ReallyEraseSelRecStr"));
    EXPECT_TRUE(listShown);
    EXPECT_EQ(selectedWhenAsked, (QStringList{"1"}));
    EXPECT_EQ(RecorderRecords(), (QStringList{"1", "2", "3"}));
}

// A voice part goes with its recording, and alone it is not erased: the
// question shows a part selected only beside its recording, and a part
// moved alone brings no question.
TEST_F(MoveEraseTest, TheQuestionAfterMoveShowsAVoicePartOnlyWithItsRecording)
{
    Connect(true);
    actions->EraseItems = realErase;
    QStringList selectedWhenAsked;
    AnswerEraseQuestion(IDNO, [&] { selectedWhenAsked = SelectedCaptions(*window->lvRecContent); });
    SelectRows(window->lvRecContent, {"1", "1.1", "3.1"});
    Run(window->actMoveToDefFolder);
    EXPECT_EQ(Targets(), (QStringList{"rec1.wav", "rec1_1.wav", "rec3_1.wav"}));
    EXPECT_EQ(selectedWhenAsked, (QStringList{"1", "1.1"}));

    boxes.Boxes.clear();
    answers = {mrYes};  // rec3_1.wav is there now
    SelectRows(window->lvRecContent, {"3.1"});
    Run(window->actMoveToDefFolder);
    EXPECT_EQ(Targets().size(), 4);
    EXPECT_FALSE(Asked("ReallyEraseSelRecStr"));
    EXPECT_EQ(RecorderRecords(), (QStringList{"1", "2", "3"}));
}

TEST_F(MoveEraseTest, TheQuestionAfterADriveMoveShowsOnlyWhatItErasesSelected)
{
    Connect();
    actions->EraseItems = realErase;
    window->Lists().ShowDriveView();
    failDriveDownloads = {"INNER.BIN"};
    QStringList selectedWhenAsked;
    AnswerEraseQuestion(IDNO, [&] { selectedWhenAsked = SelectedCaptions(*window->lvDrvContent); });
    SelectRows(window->lvDrvContent, {"ROOT.TXT", "SUB"});
    Run(window->actMoveToDefFolder);
    EXPECT_TRUE(Asked("ReallyEraseSelFilesStr"));
    // SUB stays: a file under it was not copied.
    EXPECT_EQ(selectedWhenAsked, (QStringList{"ROOT.TXT"}));
}

// The automatic delete of the first refresh asks over the record list, with
// the recordings it erases selected; the selection is cleared after.
TEST_F(MoveEraseTest, TheAutomaticDeleteAsksOverTheRecordListWithItsRecordingsSelected)
{
    QStringList selectedWhenAsked;
    bool listShown = false;
    bool errorStateCovered = false;
    AnswerEraseQuestion(IDNO, [&] {
        selectedWhenAsked = SelectedCaptions(*window->lvRecContent);
        listShown = window->lvRecContent->isVisible();
        errorStateCovered = window->findChild<QWidget*>(QStringLiteral("pnlRecorder"))->isVisible();
    });
    StartWithAutomaticDelete();
    EXPECT_TRUE(Asked("ReallyEraseSelRecStr"));
    EXPECT_TRUE(listShown);
    EXPECT_TRUE(errorStateCovered);
    EXPECT_EQ(selectedWhenAsked, (QStringList{"1", "2", "3"}));
    EXPECT_EQ(RecorderRecords(), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(SelectedRows(*window->lvRecContent).empty());
}

// A download marks its recordings downloaded; the rescan the next pass makes
// keeps the selection and the current row where they were.
TEST_F(MoveEraseTest, TheRescanAfterADownloadKeepsTheSelection)
{
    ConnectForReal();
    SelectRows(window->lvRecContent, {"1", "3"});
    QTreeView& view = *window->lvRecContent;
    view.selectionModel()->setCurrentIndex(view.model()->index(2, 0), QItemSelectionModel::NoUpdate);
    const QString current = view.currentIndex().data().toString();
    Run(window->actCopyToDefFolder);
    ASSERT_NO_FATAL_FAILURE(WaitForBackOff());
    Pass();
    // The pass refilled the rows: they carry the new status.
    const TRecordList& rows = window->Lists().RecordList();
    ASSERT_EQ(rows.Count(), 3);
    for (int i = 0; i < rows.Count(); ++i)
        EXPECT_EQ(rows.Item(i)->Status == 0x55, rows.Item(i)->NumberText != QStringLiteral("2"))
            << rows.Item(i)->NumberText.toStdString();
    EXPECT_EQ(SelectedCaptions(view), (QStringList{"1", "3"}));
    EXPECT_EQ(view.currentIndex().data().toString(), current);
}

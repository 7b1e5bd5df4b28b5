#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/dialogs/ModalResult.h"
#include "app/dialogs/OverwriteDialog.h"
#include "app/dialogs/RenameDialog.h"
#include "app/services/ApplicationTitle.h"
#include "localizer/LangConst.h"
#include "tests/app/ModalDialogRunner.h"
#include "tests/support/TempDir.h"

namespace {

class OverwriteDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = QString::fromStdString(temp.Path().string());
        Touch("taken.wav");
        Touch("also taken.wav");
        question.SetFileName(Path("taken.wav"));
    }

    QString Path(const char* name) const { return folder + QLatin1Char('/') + QLatin1String(name); }
    void Touch(const char* name) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // Presses Rename and answers the rename dialog with the name, or cancels
    // it when the name is null.
    void RenameTo(const QString& name)
    {
        WhenModalShown(QStringLiteral("frmRename"), [this, name](QWidget* modal) {
            auto* dialog = static_cast<TfrmRename*>(modal);
            EXPECT_EQ(dialog->edFileName->text(), question.FileName());
            if (name.isNull()) {
                dialog->CancelBtn->click();
                return;
            }
            dialog->edFileName->setText(name);
            dialog->OKBtn->click();
        });
        question.RenameBtn->click();
    }

    TempDir temp;
    QString folder;
    TfrmRename rename;
    TfrmOverwrite question{&rename};
};

TEST_F(OverwriteDialogTest, EachButtonFinishesWithItsResult)
{
    const std::pair<const char*, int> cases[] = {{"OverwriteBtn", mrYes},
                                                 {"Button1", mrYesToAll},
                                                 {"SkipBtn", mrNo},
                                                 {"Button3", mrNoToAll},
                                                 {"Button2", mrCancel}};
    for (const auto& [name, result] : cases) {
        question.setResult(mrNone);
        question.show();
        question.findChild<QPushButton*>(QLatin1String(name))->click();
        EXPECT_EQ(question.result(), result) << name;
        EXPECT_FALSE(question.isVisible()) << name;
    }
    question.show();
    QTest::keyClick(&question, Qt::Key_Escape);
    EXPECT_EQ(question.result(), mrCancel);
}

TEST_F(OverwriteDialogTest, TakesTheApplicationTitleAtCreationAndShowsTheName)
{
    SetApplicationTitle(QStringLiteral("Recorder title"));
    TfrmOverwrite fresh(&rename);
    SetApplicationTitle(QStringLiteral("Trellavox"));
    EXPECT_EQ(fresh.windowTitle(), QStringLiteral("Recorder title"));
    EXPECT_EQ(fresh.objectName(), QStringLiteral("frmOverwrite"));
    EXPECT_TRUE(fresh.OverwriteBtn->isDefault());

    question.show();
    EXPECT_EQ(question.Label1->text(),
              LangConst(QStringLiteral("FileAlreadyExistsStr")) + QLatin1Char('\n') + Path("taken.wav"));
    EXPECT_EQ(question.focusWidget(), question.OverwriteBtn);
}

TEST_F(OverwriteDialogTest, ALongPathLosesItsMiddleToFitTheLabel)
{
    const QString longPath = QStringLiteral("/start/") + QString(40, QLatin1Char('x')).repeated(1) +
                             QStringLiteral("/") + QString(300, QLatin1Char('m')) + QStringLiteral("/the end.wav");
    question.SetFileName(longPath);
    question.show();
    const QString shown = question.Label1->text().section(QLatin1Char('\n'), 1);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/start/")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("the end.wav")));
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_LE(question.Label1->fontMetrics().horizontalAdvance(shown), question.Label1->width() - 10);
    EXPECT_EQ(question.Label1->text().count(QLatin1Char('\n')), 1);
}

TEST_F(OverwriteDialogTest, RenameCancelledKeepsTheQuestionWithTheOldName)
{
    question.show();
    RenameTo(QString());
    EXPECT_TRUE(question.isVisible());
    EXPECT_EQ(question.result(), mrNone);
    EXPECT_EQ(question.FileName(), Path("taken.wav"));
}

TEST_F(OverwriteDialogTest, RenameToAFreeNameFinishesWithYesUnderThatName)
{
    question.show();
    RenameTo(QStringLiteral("free.wav")); // no folder: the old one's
    EXPECT_FALSE(question.isVisible());
    EXPECT_EQ(question.result(), mrYes);
    EXPECT_EQ(question.FileName(), Path("free.wav"));
}

TEST_F(OverwriteDialogTest, RenameToAnEmptyNameKeepsTheQuestion)
{
    question.show();
    RenameTo(QStringLiteral(""));
    EXPECT_TRUE(question.isVisible());
    EXPECT_EQ(question.result(), mrNone);
    EXPECT_EQ(question.FileName(), Path("taken.wav"));
}

TEST_F(OverwriteDialogTest, RenameToAnotherExistingFileAsksAgainForThatFile)
{
    question.show();
    RenameTo(Path("also taken.wav"));
    EXPECT_TRUE(question.isVisible());
    EXPECT_EQ(question.result(), mrNone);
    EXPECT_EQ(question.FileName(), Path("also taken.wav"));
    EXPECT_TRUE(question.Label1->text().endsWith(Path("also taken.wav")));
    RenameTo(Path("third.wav"));
    EXPECT_EQ(question.result(), mrYes);
    EXPECT_EQ(question.FileName(), Path("third.wav"));
}

} // namespace

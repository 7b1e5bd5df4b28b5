#include <gtest/gtest.h>

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>

#include "app/dialogs/AboutBox.h"
#include "app/dialogs/FmtChooseDialog.h"
#include "app/dialogs/OverwriteDialog.h"
#include "app/dialogs/PasswordDialog.h"
#include "app/dialogs/RenameDialog.h"
#include "localizer/LangConst.h"
#include "tests/app/MainWindowFixture.h"

namespace {

constexpr quint16 kGerman = 1031;

// The German test language beside the program, registered.
class FormLanguageTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        m_german = HomePath() + QStringLiteral("/Program/Trellavox_Deutsch.lng");
        ASSERT_TRUE(QFile::copy(QStringLiteral(TRELLAVOX_TEST_DATA "/lang/Trellavox_Deutsch.lng"), m_german));
        ASSERT_TRUE(LangManager().AddLangFile(m_german));
    }

    QString m_german;
};

// One text of every form, as the German file has it and as it is built in.
struct ShownText {
    const char* what;
    std::function<QString(TAppForms&)> text;
    const char* german;
    const char* builtIn;
};

const ShownText kTexts[] = {
    {"main window's menu", [](TAppForms& f) { return f.frmTrellavoxMain->View1->title(); }, "&Ansicht", nullptr},
    {"main window's action", [](TAppForms& f) { return f.frmTrellavoxMain->actConnect->text(); }, "Verbinden", nullptr},
    {"main window's column",
     [](TAppForms& f) { return f.frmTrellavoxMain->lvRecContent->model()->headerData(0, Qt::Horizontal).toString(); },
     "Nr.", nullptr},
    {"connection submenu", [](TAppForms& f) { return f.frmTrellavoxMain->pmConnect->title(); }, "Verbindungsart",
     "Connection type"},
    {"rename", [](TAppForms& f) { return f.frmRename->Label1->text(); }, "Neuer Name", "New name"},
    {"overwrite", [](TAppForms& f) { return f.frmOverwrite->OverwriteBtn->text(); }, "Überschreiben", nullptr},
    {"about", [](TAppForms& f) { return f.AboutBox->windowTitle(); }, "Über das Programm", "About"},
    {"password", [](TAppForms& f) { return f.PasswordDlg->windowTitle(); }, "Passwort", nullptr},
};

TEST_F(FormLanguageTest, ASwitchTranslatesEveryFormAndTheConstantsAndBack)
{
    std::vector<QString> builtIn;
    for (const ShownText& shown : kTexts)
        builtIn.push_back(shown.text(*forms));
    const QString format = window->actFormat->text();
    const QString overwriteTitle = forms->frmOverwrite->windowTitle();

    LangManager().SetActiveLangID(kGerman);
    for (const ShownText& shown : kTexts) {
        SCOPED_TRACE(shown.what);
        EXPECT_EQ(shown.text(*forms), QString::fromUtf8(shown.german));
    }
    EXPECT_EQ(LangConst(QStringLiteral("CantOpenStr")), QStringLiteral("Kann nicht öffnen"));
    // A text the file leaves out stays built in.
    EXPECT_EQ(window->actFormat->text(), format);
    // The question's title is the application's, set at run time: no switch touches it.
    EXPECT_EQ(forms->frmOverwrite->windowTitle(), overwriteTitle);

    LangManager().SetActiveLangID(TLanguageManager::kEnglishLangID);
    for (std::size_t i = 0; i < std::size(kTexts); ++i) {
        SCOPED_TRACE(kTexts[i].what);
        EXPECT_EQ(kTexts[i].text(*forms), builtIn[i]);
        if (kTexts[i].builtIn) {
            EXPECT_EQ(builtIn[i], QString::fromUtf8(kTexts[i].builtIn));
        }
    }
    EXPECT_EQ(LangConst(QStringLiteral("CantOpenStr")), QStringLiteral("Can't open"));
}

TEST_F(FormLanguageTest, TheCompressionChoiceMadeAfterASwitchIsTranslated)
{
    LangManager().SetActiveLangID(kGerman);
    TfrmFmtChoose dialog(window);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Kompressionsart wählen"));
    EXPECT_EQ(dialog.CancelBtn->text(), QStringLiteral("Abbrechen"));
}

TEST_F(FormLanguageTest, ADamagedLanguageFileLeavesANewDialogInItsBuiltInTexts)
{
    LangManager().SetActiveLangID(kGerman);
    {
        QFile file(m_german);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("LANGID=1031\n[frmFmtChoose]\n10001=Eins\n10001=Zwei\n");
    }
    std::unique_ptr<TfrmFmtChoose> dialog;
    ASSERT_NO_THROW(dialog = std::make_unique<TfrmFmtChoose>(window));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Choose compress method"));
    // The forms shown before keep the language they were switched to.
    EXPECT_EQ(forms->frmRename->windowTitle(), QStringLiteral("Umbenennen"));
}

}  // namespace

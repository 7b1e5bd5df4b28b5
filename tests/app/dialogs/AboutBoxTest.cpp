#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/dialogs/AboutBox.h"
#include "app/dialogs/ModalResult.h"
#include "app/services/ProgramVersion.h"
#include "localizer/LangConst.h"
#include "localizer/LanguageManager.h"
#include "tests/support/TempDir.h"

namespace {

TEST(AboutBox, ShowsTheProductNameAndTheVersionNumbers)
{
    EXPECT_EQ(ProgramVersionText(0x0A0B0C), QStringLiteral("10.11.12"));
    QWidget mainWindow;
    mainWindow.setGeometry(10, 10, 300, 200);
    mainWindow.show();
    TAboutBox about(&mainWindow);  // centred on the screen all the same
    EXPECT_EQ(about.objectName(), QStringLiteral("AboutBox"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
    about.show();
    EXPECT_EQ(about.ProductName->text(), LangConst(QStringLiteral("AppNameStr")));
    EXPECT_EQ(about.Version->text(), LangConst(QStringLiteral("VersionStr")) + QStringLiteral(" ") +
                                         ProgramVersionText(kProgramVersion) + QStringLiteral(" "));
    const QPoint offset = about.frameGeometry().center() - about.screen()->availableGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);
    about.OKButton->click();
    EXPECT_EQ(about.result(), mrOk);
}

TEST(AboutBox, APercentSignInATranslatedVersionTextIsShownAsWritten)
{
    TempDir temp;
    const QString path = QString::fromStdString(temp.File("Trellavox_test.lng"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("LANGID=1049\n[$CONSTANTS]\nVersionStr=Version %s %d%n\n");
    }
    ASSERT_TRUE(LangManager().AddLangFile(path));
    LangManager().SetActiveLangID(1049);
    {
        TAboutBox about;
        about.show();
        EXPECT_EQ(about.Version->text(),
                  QStringLiteral("Version %s %d%n ") + ProgramVersionText(kProgramVersion) + QStringLiteral(" "));
    }
    ResetLangManager();
}

}  // namespace

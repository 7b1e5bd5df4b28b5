#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/dialogs/StatusWindow.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/CancelRequestSink.h"
#include "widgets/MyGauge.h"

namespace {

class FakeCancelSink : public TCancelRequestSink {
public:
    void RequestCancel() override { ++requests; }
    int requests = 0;
};

class StatusWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mainWindow.setObjectName(QStringLiteral("frmTrellavoxMain"));
        mainWindow.setGeometry(100, 80, 800, 600);
        mainWindow.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    }

    FakeCancelSink sink;
    QWidget mainWindow;
};

TEST_F(StatusWindowTest, CancelPressedTwiceRequestsOnce)
{
    TfrmStatus status(&sink, &mainWindow);
    status.show();
    status.Button1->click();
    EXPECT_EQ(sink.requests, 1);
    EXPECT_FALSE(status.Button1->isEnabled());
    status.Button1->click();
    QTest::keyClick(&status, Qt::Key_Escape);
    EXPECT_EQ(sink.requests, 1);
    EXPECT_TRUE(status.isVisible()); // the window closes only when its caller hides it
}

TEST_F(StatusWindowTest, EscapeStandsForCancel)
{
    TfrmStatus status(&sink, &mainWindow);
    status.show();
    QTest::keyClick(&status, Qt::Key_Escape);
    EXPECT_EQ(sink.requests, 1);
    EXPECT_FALSE(status.Button1->isEnabled());
    status.close();
    EXPECT_TRUE(status.isVisible());
}

TEST_F(StatusWindowTest, ShowingCentresOnTheMainWindowUnderTheApplicationTitle)
{
    TfrmStatus status(&sink, &mainWindow);
    EXPECT_EQ(status.windowTitle(), QStringLiteral("Executing..."));
    EXPECT_EQ(status.findChild<TMyGauge*>(QStringLiteral("cg1")), status.cg1);
    SetApplicationTitle(QStringLiteral("Title of the run"));
    status.show();
    SetApplicationTitle(QStringLiteral("Trellavox"));
    EXPECT_EQ(status.windowTitle(), QStringLiteral("Title of the run"));
    const QPoint offset = status.frameGeometry().center() - mainWindow.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);
    EXPECT_TRUE(status.KeepsFocus());
    status.hide();
    EXPECT_FALSE(status.KeepsFocus());
}

TEST_F(StatusWindowTest, TakesTheFocusBackButNotFromAModalWindow)
{
    TfrmStatus status(&sink, &mainWindow);
    status.show();
    QApplication::setActiveWindow(&status);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &status; }, 2000));

    QApplication::setActiveWindow(&mainWindow);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &status; }, 2000));

    QDialog question(&mainWindow);
    question.setModal(true);
    question.show();
    QApplication::setActiveWindow(&question);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &question; }, 2000));
    // The status window's answer to losing the focus is posted; let it run.
    for (int round = 0; round < 5; ++round)
        QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &question);
    question.hide();
}

} // namespace

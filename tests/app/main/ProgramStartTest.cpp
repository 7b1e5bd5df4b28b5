#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QProcess>
#include <QStyleOption>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/dialogs/SplashWindow.h"
#include "app/main/CommandLine.h"
#include "app/main/HintWindowStyle.h"
#include "app/main/IdleScheduler.h"
#include "app/main/SingleInstanceGuard.h"
#include "app/services/AppMessageBox.h"
#include "core/settings/FileUtils.h"
#include "core/settings/IniFile.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/ModalDialogRunner.h"

TEST(CommandLine, WordsMatchWholeAndWithoutRegardToCase)
{
    struct Case {
        QStringList arguments;
        bool diag;
    };
    const Case cases[] = {
        {{"Trellavox", "diag"}, true},      {{"Trellavox", "DIAG"}, true},
        {{"Trellavox", "Diag"}, true},      {{"Trellavox", "prof", "dIaG"}, true},
        {{"Trellavox", "/diag"}, false},    {{"Trellavox", "-diag"}, false},
        {{"Trellavox", "diagnose"}, false}, {{"diag"}, false},  // the program path is not an argument
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        EXPECT_EQ(HasCommandLineWord(c.arguments, QStringLiteral("diag")), c.diag);
    }
}

TEST(FileUtils, OnlyExistingFilesCanBeOpenedAndWritingKeepsThem)
{
    TempDir dir;
    const QString file = QString::fromStdString(dir.File("a.wav"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("data");
    }
    EXPECT_TRUE(FileCanBeOpened(file, false));
    EXPECT_TRUE(FileCanBeOpened(file, true));
    EXPECT_EQ(QFileInfo(file).size(), 4);
    EXPECT_FALSE(FileCanBeOpened(file + QStringLiteral(".missing"), false));
    EXPECT_FALSE(FileCanBeOpened(file + QStringLiteral(".missing"), true));
    EXPECT_FALSE(QFile::exists(file + QStringLiteral(".missing")));
    EXPECT_FALSE(FileCanBeOpened(QString::fromStdString(dir.Path().string()), false));
}

TEST(FileUtils, AFifoIsNoFile)
{
    TempDir dir;
    const std::string fifo = dir.File("pipe.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A writer is there, so even a blocking open would come back at once.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    EXPECT_FALSE(FileCanBeOpened(QString::fromStdString(fifo), false));
    EXPECT_FALSE(FileCanBeOpened(QString::fromStdString(fifo), true));
    ::close(writer);
}

TEST(FileUtils, FileTimeIsTheLastWriteOrLeftAlone)
{
    TempDir dir;
    const QString file = QString::fromStdString(dir.File("a.wav"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.setFileTime(QDateTime(QDate(2021, 6, 7), QTime(8, 9, 10)), QFileDevice::FileModificationTime);
    }
    SYSTEMTIME time{};
    GetFileLocalTime(file, time);
    EXPECT_EQ(time.wYear, 2021);
    EXPECT_EQ(time.wMonth, 6);
    EXPECT_EQ(time.wDay, 7);
    EXPECT_EQ(time.wHour, 8);
    EXPECT_EQ(time.wMinute, 9);
    EXPECT_EQ(time.wSecond, 10);
    SYSTEMTIME untouched{1999, 1, 0, 2, 3, 4, 5, 6};
    const SYSTEMTIME before = untouched;
    GetFileLocalTime(file + QStringLiteral(".missing"), untouched);
    EXPECT_EQ(untouched, before);
    EXPECT_FALSE(GetSystemErrorText(2).isEmpty());
}

TEST(AppMessageBox, TheShownBoxKeepsTheWindowsNumbers)
{
    struct Case {
        std::uint32_t flags;
        QMessageBox::StandardButton click;  // NoButton: Escape
        int result;
    };
    const Case cases[] = {
        {MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, QMessageBox::Yes, IDYES},
        {MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, QMessageBox::No, IDNO},
        {MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, QMessageBox::NoButton, IDNO},
        {MB_OK | MB_ICONERROR, QMessageBox::NoButton, IDOK},
        {MB_OK | MB_ICONINFORMATION, QMessageBox::Ok, IDOK},
        {1 /* MB_OKCANCEL */, QMessageBox::NoButton, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        QString caption;
        QString text;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        WhenModalShown(QStringLiteral("AppMessageBox"), [&](QWidget* widget) {
            auto* box = static_cast<QMessageBox*>(widget);
            caption = box->windowTitle();
            text = box->text();
            defaultButton = box->standardButton(box->defaultButton());
            if (c.click == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(c.click)->click();
        });
        EXPECT_EQ(AppMessageBox(QStringLiteral("Line one\r\nLine two"), c.flags, QStringLiteral("Title")), c.result);
        EXPECT_EQ(caption, QStringLiteral("Title"));
        EXPECT_EQ(text, QStringLiteral("Line one\nLine two"));
        if ((c.flags & MB_DEFBUTTON2) != 0) {
            EXPECT_EQ(defaultButton, QMessageBox::No);
        }
    }
}

TEST(IdleScheduler, PassesRunWhenTheLoopWaitsNeverInsideProcessEvents)
{
    int passes = 0;
    bool blocked = false;
    TIdleScheduler scheduler([&passes](bool&) { ++passes; }, [&blocked] { return blocked; });
    scheduler.SchedulePass();
    for (int i = 0; i < 50; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(passes, 0);

    QEventLoop loop;
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_GE(passes, 1);
    // A quiet loop does not spin: one pass per burst of events.
    EXPECT_LE(passes, 5);

    blocked = true;
    const int before = passes;
    scheduler.SchedulePass();
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(passes, before);
}

TEST(IdleScheduler, APassThatLeavesDoneFalseRunsAgainWithoutAnEvent)
{
    int passes = 0;
    TIdleScheduler scheduler([&passes](bool& done) { done = ++passes >= 3; }, [] { return false; });
    scheduler.SchedulePass();
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_GE(passes, 3);
}

class StartupTest : public MainWindowFixture {};

TEST_F(StartupTest, TheSettingsFileIsCopiedOnceFromTheCurrentFolder)
{
    TempDir current;
    const QString saved = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(current.Path().string()));
    {
        QFile file(QStringLiteral("ZEL4.set"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Settings]\r\nConnectType=3\r\nSyncTime=1\r\n");
    }
    window->StartupWork();
    QDir::setCurrent(saved);
    EXPECT_TRUE(QFile::exists(DocumentsPath() + QStringLiteral("ZEL4.set")));
    EXPECT_EQ(ProgramOptions.ConnectType, 3);
    EXPECT_TRUE(ProgramOptions.SyncTime);
    EXPECT_TRUE(connection->FStartupDone);
    EXPECT_TRUE(window->ConnectMenuItem(ctDemo)->isChecked());
    EXPECT_FALSE(window->mainPanel->isHidden());
    EXPECT_FALSE(window->ToolBar1->isHidden());
    EXPECT_NE(window->Splash(), nullptr);
    EXPECT_EQ(window->tlbtnConnect->menu(), window->pmConnect);
}

TEST_F(StartupTest, AnExistingSettingsFileIsNeverOverwritten)
{
    const QString target = DocumentsPath() + QStringLiteral("ZEL4.set");
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Settings]\r\nConnectType=5\r\n");
    }
    {
        QFile file(HomePath() + QStringLiteral("/Program/ZEL4.set"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Settings]\r\nConnectType=3\r\n");
    }
    window->StartupWork();
    EXPECT_EQ(ProgramOptions.ConnectType, 5);
}

TEST_F(StartupTest, WithoutOneInTheCurrentFolderTheDefaultBesideTheProgramIsCopied)
{
    {
        QFile file(HomePath() + QStringLiteral("/Program/ZEL4.set"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Settings]\r\nConnectType=3\r\n");
    }
    ProgramOptions.ConnectType = 0;
    window->StartupWork();
    EXPECT_EQ(ProgramOptions.ConnectType, 3);
    EXPECT_TRUE(QFile::exists(DocumentsPath() + QStringLiteral("ZEL4.set")));
}

TEST_F(StartupTest, AnUnreadableSettingsFileIsReportedAndLeftAsItWasAfterClosing)
{
    const QString target = DocumentsPath() + QStringLiteral("ZEL4.set");
    QByteArray oversize = "[Settings]\r\nConnectType=3\r\nSyncTime=1\r\n";
    oversize.append(TIniFile::kMaxFileSize, ';');
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(oversize);
    }
    window->StartupWork();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith(QStringLiteral("Unable to read ") + target))
        << boxes.Boxes[0].Text.toStdString();
    EXPECT_EQ(ProgramOptions.ConnectType, 0);  // the program runs on its defaults
    EXPECT_FALSE(ProgramOptions.SyncTime);

    EXPECT_TRUE(window->close());
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_TRUE(boxes.Boxes[1].Text.startsWith(QStringLiteral("Unable to write to ") + target));
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == oversize);
}

TEST_F(StartupTest, TheLanguageSavedIsTheOneChosenInTheMenu)
{
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    {
        QFile file(HomePath() + QStringLiteral("/Program/") + program + QStringLiteral("_ru.lng"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("LANGID=1049\r\n[$CONSTANTS]\r\nCantOpenStr=Russian can't open\r\n");
        QFile settings(DocumentsPath() + QStringLiteral("ZEL4.set"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[Settings]\r\nLangID=1049\r\n");
    }
    window->StartupWork();
    EXPECT_EQ(LangManager().GetActiveLangID(), 1049);
    ASSERT_EQ(window->Language1->actions().size(), 2);
    window->Language1->actions()[0]->trigger();  // the base language
    EXPECT_EQ(LangManager().GetActiveLangID(), 1033);

    EXPECT_TRUE(window->close());
    QFile settings(DocumentsPath() + QStringLiteral("ZEL4.set"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("\r\nLangID=1033\r\n"));
}

TEST_F(StartupTest, ConnectingLeavesTheLanguageAloneEvenWhenItsFileHasGone)
{
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    const QString languageFile = HomePath() + QStringLiteral("/Program/") + program + QStringLiteral("_ru.lng");
    {
        QFile file(languageFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("LANGID=1049\r\n[$CONSTANTS]\r\nCantFindRecorderStr=Russian: no recorder\r\n");
        QFile settings(DocumentsPath() + QStringLiteral("ZEL4.set"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[Settings]\r\nLangID=1049\r\nConnectType=3\r\n");
    }
    window->StartupWork();
    ASSERT_EQ(LangManager().GetActiveLangID(), 1049);
    ASSERT_TRUE(QFile::remove(languageFile));

    Pass();
    EXPECT_NE(connection->Recorder(), nullptr);
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(LangManager().GetActiveLangID(), 1049);
    EXPECT_EQ(window->lbErrorState->text(), QStringLiteral("Russian: no recorder"));
}

TEST_F(StartupTest, AMissingDefaultFolderIsReplacedAndCreated)
{
    ProgramOptions.DefFolder = HomePath() + QStringLiteral("/nowhere/at/all");
    window->StartupWork();
    EXPECT_EQ(ProgramOptions.DefFolder, DocumentsPath() + QStringLiteral("Voice Digital Recorder Files"));
    EXPECT_TRUE(QFileInfo(ProgramOptions.DefFolder).isDir());
    EXPECT_EQ(ProgramOptions.FileNameMask, QStringLiteral("file_[rn]_([yyyy]_[mm]_[dd]-[hh_nn_ss])_[sn].wav"));
}

TEST_F(StartupTest, TheFirstPassFreesTheSplashAndConnects)
{
    window->StartupWork();
    ProgramOptions.ConnectType = 3;
    ASSERT_NE(window->Splash(), nullptr);
    Pass();
    EXPECT_EQ(window->Splash(), nullptr);
    EXPECT_NE(connection->Recorder(), nullptr);
    EXPECT_EQ(window->lbErrorState->text(), QStringLiteral("Can't find Recorder. Connect Recorder to PC."));
}

TEST_F(StartupTest, NoConnectionWorkBeforeTheStartUpIsDone)
{
    Pass();
    EXPECT_EQ(connection->Recorder(), nullptr);
    EXPECT_EQ(window->Splash(), nullptr);  // made by the start-up work only
}

TEST(SingleInstance, ASecondCopyRaisesTheFirstAndEndsWithoutAWindow)
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/Trellavox");
    if (!QFileInfo::exists(program))
        GTEST_SKIP() << "Trellavox is not built beside the tests";
    TempDir runtime;
    TempDir home;
    const QString runtimeDir = QString::fromStdString(runtime.Path().string());
    TSingleInstanceGuard first(QLatin1String(TSingleInstanceGuard::kDefaultName), runtimeDir);
    ASSERT_TRUE(first.TryBecomeFirst());
    int raised = 0;
    QObject::connect(&first, &TSingleInstanceGuard::RaiseRequested, [&raised] { ++raised; });

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(home.Path().string()));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(environment);
    second.start(program, {QStringLiteral("diag")});
    ASSERT_TRUE(second.waitForStarted(10000));
    const bool ended = QTest::qWaitFor([&second] { return second.state() == QProcess::NotRunning; }, 20000);
    if (!ended) {
        second.kill();
        second.waitForFinished();
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&raised] { return raised > 0; }, 2000));
    EXPECT_EQ(raised, 1);
    // It made no settings file: it never got as far as the start-up work.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(home.Path().string()) + QStringLiteral("/Documents/ZEL4.set")));

    // A copy that finds nobody running becomes the first one.
    TSingleInstanceGuard other(QStringLiteral("TrellavoxQ3-other"), runtimeDir);
    EXPECT_TRUE(other.TryBecomeFirst());
}

TEST(HintWindow, ToolTipsHaveARaisedOuterEdge)
{
    TMyHintWindow style;
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::black);
    QStyleOption option;
    option.rect = image.rect();
    QPalette palette;
    palette.setColor(QPalette::Light, Qt::white);
    palette.setColor(QPalette::Dark, QColor(64, 64, 64));
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 200));
    option.palette = palette;
    QPainter painter(&image);
    style.drawPrimitive(QStyle::PE_PanelTipLabel, &option, &painter);
    painter.end();
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(Qt::white));        // light top-left
    EXPECT_EQ(QColor(image.pixel(39, 19)), QColor(64, 64, 64));     // dark bottom-right
    EXPECT_EQ(QColor(image.pixel(20, 10)), QColor(255, 255, 200));  // the tip's own colour inside
}

TEST(HintWindow, ShiftDoesNotEndAShownHintOtherKeysDo)
{
    TMyHintWindow style;
    qApp->installEventFilter(&style);
    QWidget owner;
    owner.resize(200, 100);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    QToolTip::showText(owner.mapToGlobal(QPoint(10, 10)), QStringLiteral("Copy to PC"), &owner);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 2000));
    QTest::keyPress(&owner, Qt::Key_Shift);
    // A hint that is told to end goes some 300 ms later: give it well beyond that.
    EXPECT_FALSE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 1500)) << "Shift ended the hint";
    QTest::keyRelease(&owner, Qt::Key_Shift);
    QTest::keyClick(&owner, Qt::Key_A);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
}

TEST(SingleInstance, ALongRunningFirstCopyKeepsItsLock)
{
    TempDir runtime;
    const QString folder = QString::fromStdString(runtime.Path().string());
    TSingleInstanceGuard first(QStringLiteral("TrellavoxQ3"), folder);
    ASSERT_TRUE(first.TryBecomeFirst());
    // As if the first copy had run for an hour.
    QFile lock(folder + QStringLiteral("/TrellavoxQ3.lock"));
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    lock.close();
    TSingleInstanceGuard second(QStringLiteral("TrellavoxQ3"), folder);
    EXPECT_FALSE(second.TryBecomeFirst());
}

#include "app/main/ProgramEntry.h"

#include "app/main/AppForms.h"
#include "app/main/HintWindowStyle.h"
#include "app/main/MainWindow.h"
#include "app/main/SingleInstanceGuard.h"
#include "app/main/TrellavoxApplication.h"
#include "app/services/AppMessageBox.h"
#include "localizer/LanguageManager.h"

int RunTrellavox(int argc, char** argv)
{
    TTrellavoxApplication application(argc, argv);
    TSingleInstanceGuard guard;
    if (!guard.TryBecomeFirst()) {
        guard.AskRunningCopyToRaise();
        return 0;
    }
    try {
        // Only the main window's accepted close ends the program.
        QApplication::setQuitOnLastWindowClosed(false);
        auto* hintStyle = new TMyHintWindow;
        QApplication::setStyle(hintStyle);
        application.installEventFilter(hintStyle);
        LangManager().SetBaseLangID(0);
        LangManager().SetActiveLangID(LangManager().GetBaseLangID());

        TAppForms forms;
        TfrmTrellavoxMain& main = *forms.frmTrellavoxMain;
        QObject::connect(&guard, &TSingleInstanceGuard::RaiseRequested, &main, &TfrmTrellavoxMain::BringToFront);
        QObject::connect(&main, &TfrmTrellavoxMain::Closed, &application, &QApplication::quit, Qt::QueuedConnection);
        main.StartupWork();
        main.ShowPlaced();
        main.EnableIdlePasses();
        application.exec();
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowUnknownException();
    }
    return 0;
}

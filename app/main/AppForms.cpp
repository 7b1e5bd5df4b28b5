#include "app/main/AppForms.h"

#include "app/dialogs/AboutBox.h"
#include "app/dialogs/OverwriteDialog.h"
#include "app/dialogs/PasswordDialog.h"
#include "app/dialogs/RecSettingsDialog.h"
#include "app/dialogs/RenameDialog.h"
#include "app/dialogs/StatusWindow.h"
#include "app/main/AppRecorderHost.h"
#include "app/main/MainWindow.h"
#include "app/services/LongOperation.h"

TAppForms::TAppForms()
{
    m_main = std::make_unique<TfrmTrellavoxMain>();
    frmTrellavoxMain = m_main.get();
    frmRecSettings = new TfrmRecSettings(frmTrellavoxMain);
    frmRename = new TfrmRename(frmTrellavoxMain);
    AboutBox = new TAboutBox(frmTrellavoxMain);
    frmStatus = new TfrmStatus(&frmTrellavoxMain->Operation(), frmTrellavoxMain);
    frmOverwrite = new TfrmOverwrite(frmRename, frmTrellavoxMain);
    PasswordDlg = new TPasswordDlg(frmTrellavoxMain);
    m_host = std::make_unique<TAppRecorderHost>(frmTrellavoxMain, frmRecSettings);
    m_registration = std::make_unique<TRecorderHostRegistration>(*m_host);
    frmRecSettings->SetPasswordDialog(PasswordDlg);
    frmRecSettings->SetOptionEffects(frmTrellavoxMain);
    frmTrellavoxMain->AttachForms(frmRecSettings, frmStatus, PasswordDlg);
    frmTrellavoxMain->AttachAboutBox(AboutBox);
}

// The main window disconnects (the recorder reports to the host) before the
// host goes.
TAppForms::~TAppForms()
{
    m_main.reset();
    m_registration.reset();
    m_host.reset();
}

#include "AppForms.h"

#include "AboutBox.h"
#include "AppRecorderHost.h"
#include "LongOperation.h"
#include "MainWindow.h"
#include "OverwriteDialog.h"
#include "PasswordDialog.h"
#include "RecSettingsDialog.h"
#include "RenameDialog.h"
#include "StatusWindow.h"

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
    frmTrellavoxMain->AttachForms(frmRecSettings, frmStatus, PasswordDlg);
}

// The main window disconnects (the recorder reports to the host) before the
// host goes.
TAppForms::~TAppForms()
{
    m_main.reset();
    m_registration.reset();
    m_host.reset();
}

#pragma once

#include <memory>

class TAboutBox;
class TAppRecorderHost;
class TPasswordDlg;
class TRecorderHostRegistration;
class TfrmOverwrite;
class TfrmRecSettings;
class TfrmRename;
class TfrmStatus;
class TfrmTrellavoxMain;

// The forms that live for the whole run, made in their fixed order (main
// window, recorder settings, rename, about, status, overwrite question,
// password), and the recorder host registered over them. The dialogs
// belong to the main window and go with it.
class TAppForms {
public:
    TAppForms();
    ~TAppForms();
    TAppForms(const TAppForms&) = delete;
    TAppForms& operator=(const TAppForms&) = delete;

    TfrmTrellavoxMain* frmTrellavoxMain = nullptr;
    TfrmRecSettings* frmRecSettings = nullptr;
    TfrmRename* frmRename = nullptr;
    TAboutBox* AboutBox = nullptr;
    TfrmStatus* frmStatus = nullptr;
    TfrmOverwrite* frmOverwrite = nullptr;
    TPasswordDlg* PasswordDlg = nullptr;

private:
    std::unique_ptr<TfrmTrellavoxMain> m_main;
    std::unique_ptr<TAppRecorderHost> m_host;
    std::unique_ptr<TRecorderHostRegistration> m_registration;
};

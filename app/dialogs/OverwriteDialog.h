#pragma once

#include "app/dialogs/ModalDialog.h"

class QLabel;
class QPushButton;
class TfrmRename;

// The question for a target file that exists: Overwrite (Yes), Overwrite
// All (Yes to all), Rename, Skip (No), Skip All (No to all), Cancel.
// Rename asks for a new name in the rename dialog; a new name that exists
// too is asked about again, an empty one keeps the question open.
class TfrmOverwrite : public TModalDialog {
    Q_OBJECT
public:
    TfrmOverwrite(TfrmRename* renameDialog, QWidget* mainWindow = nullptr);

    // The file in question; after Overwrite following a Rename, the new name
    // (a name without a folder lies in the folder of the old one).
    QString FileName() const { return m_fileName; }
    void SetFileName(const QString& fileName) { m_fileName = fileName; }

    QLabel* Label1 = nullptr;
    QPushButton* OverwriteBtn = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* RenameBtn = nullptr;
    QPushButton* SkipBtn = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildWidgets();
    void FormCreate();
    void ShowFileName();
    void RenameBtnClick();

    TfrmRename* m_renameDialog;
    QString m_fileName;
};

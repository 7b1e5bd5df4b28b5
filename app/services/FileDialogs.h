#pragma once

#include <QPoint>
#include <QString>
#include <optional>

class QWidget;

// What the program asks of a file or folder dialog.
struct TFileDialogRequest {
    enum class TKind { Open, Save, Folder };
    TKind Kind = TKind::Open;
    QString Title;
    // In the program's own form, "Description|pattern[|Description|pattern]".
    QString Filter;
    // Without the dot; appended to a typed name that has none.
    QString DefaultSuffix;
    QString StartFolder;
    QString FileName;
    // Where a folder browser is centred (null: the platform decides).
    std::optional<QPoint> Position;
};

// Answers the program's file dialogs in place of the user (tests).
class TFileDialogAnswerer {
public:
    virtual ~TFileDialogAnswerer() = default;
    // The chosen path, or nullopt for Cancel.
    virtual std::optional<QString> Answer(const TFileDialogRequest& request) = 0;
};

// Installs an answerer (null: dialogs are shown again). GUI thread only.
void SetFileDialogAnswerer(TFileDialogAnswerer* answerer);

// Shows the dialog (or asks the answerer): the chosen path, or nullopt when
// cancelled. Open accepts existing files only.
std::optional<QString> AppFileDialog(QWidget* parent, const TFileDialogRequest& request);

// "Description|pattern|..." as Qt's name filters ("Description (pattern)").
QString QtNameFilters(const QString& filter);

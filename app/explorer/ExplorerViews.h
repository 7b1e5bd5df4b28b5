#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QAbstractItemView;
class QListView;
class QModelIndex;
class QStackedWidget;
class QTreeView;
class QWidget;
class TFolderModel;

// The explorer's folder view in its four styles: a report view for the
// details style (its columns are the settings file's, else fitted once to
// the first folder shown) and a list view for the icon and list styles,
// both on the one folder model and the one selection, one shown at a time.
class TExplorerViews : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxFittedNameWidth = 320;

    TExplorerViews(TFolderModel& model, QWidget* parent);

    QStackedWidget* Stack() const { return m_stack; }
    QTreeView* ReportView() const { return m_reportView; }
    QListView* IconView() const { return m_iconView; }
    // The view of a style: 0 large icons, 1 small icons, 2 list, 3 details.
    QAbstractItemView* ViewFor(int style) const;
    // Shows the view of a style, set up for it; the focus goes along.
    void ApplyStyle(int style);

    // Saved column widths: no fitting.
    void KeepColumnWidths() { m_fitColumns = false; }
    // The columns fitted to the rows shown, the first time the report view
    // shows some.
    void FitColumnsOnce();

    // The selected items in the order shown.
    QStringList SelectedPaths() const;
    // The one item selected; empty when none or several are.
    QString SelectedFilePath() const;
    bool HasSelection() const;
    void ClearSelection();
    // A label is being edited in either view.
    bool Editing() const;

signals:
    // An item was opened (double click, Return).
    void Opened(const QModelIndex& index);

private:
    TFolderModel& m_model;
    QStackedWidget* m_stack = nullptr;
    QTreeView* m_reportView = nullptr;
    QListView* m_iconView = nullptr;
    bool m_fitColumns = true;
};

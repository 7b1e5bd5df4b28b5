#pragma once

#include <QAbstractTableModel>
#include <QStringList>

// The rows of a list view made on demand, as a virtual list view asks for
// them. The row count is the view's own, set by its owner; rows beyond the
// list behind the model show nothing. Qt's own sorting is not offered: the
// lists sort themselves.
class TOwnerDataModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The index of the row's picture in the main window's image list.
    static constexpr int ImageIndexRole = Qt::UserRole + 1;
    // The format of a drag from a recorder list: the explorer pane takes
    // nothing else. The drop works on the list's selection, not on the data.
    static constexpr const char* RowsMimeType = "application/x-trellavox-recorder-rows";

    TOwnerDataModel(QStringList captions, QList<int> rightAligned, QObject* parent);

    // The item count of the view: a reset of the rows.
    void SetRowCount(int count);
    // Every row painted anew (after a sort).
    void Repaint();

    const QStringList& Captions() const { return m_captions; }
    void SetCaptions(const QStringList& captions);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The column captions, as a language switch sets them.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

protected:
    // How many rows the list behind the model has now.
    virtual int ListCount() const = 0;
    // The texts of a row of the list, one per column (fewer leave the rest empty).
    virtual QStringList RowTexts(int row) const = 0;
    virtual int RowImage(int row) const = 0;
    // An invalid variant: the view's default.
    virtual QVariant RowForeground(int /*row*/) const { return {}; }

private:
    QStringList m_captions;
    QList<int> m_rightAligned;
    int m_rowCount = 0;
};

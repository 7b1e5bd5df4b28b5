#pragma once

#include <QFrame>
#include <QString>
#include <vector>

class QLabel;
class QProgressBar;
class TCustomRecorder;

// " " + label + the value formatted apart: a "%" in a translated label is
// shown as it is.
QString StatusLabelText(const QString& label, const QString& formattedValue);

// The recorder status panel pnlStatus: model, firmware, serial number,
// battery, clock and memory in sub-panels that flow into rows.
class TStatusPanel : public QFrame {
    Q_OBJECT
public:
    explicit TStatusPanel(QWidget* parent = nullptr);

    // StatusPanelUpdate: the labels from the recorder, then the layout.
    void UpdateFrom(TCustomRecorder& recorder, int connectType);
    // pnlStatusResize.
    void LayOut();

    QFrame* pnlModel = nullptr;
    QFrame* pnlFW = nullptr;
    QFrame* pnlSN = nullptr;
    QFrame* pnlDiv1 = nullptr;
    QFrame* pnlBat = nullptr;
    QFrame* pnlTime = nullptr;
    QFrame* Panel30 = nullptr;
    QFrame* Panel4 = nullptr;
    QFrame* Panel7 = nullptr;
    QFrame* Panel9 = nullptr;

    QLabel* lbModel = nullptr;
    QLabel* lbFWVer = nullptr;
    QLabel* lbSerNum = nullptr;
    QLabel* lbDiv = nullptr;
    QLabel* lbBattery = nullptr;
    QProgressBar* pbBat = nullptr;
    QLabel* lbRecTime = nullptr;
    QLabel* lbTotalMem = nullptr;
    QLabel* lbFreeMem = nullptr;
    QLabel* lbMinRecDur = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QFrame* AddSubPanel(const QString& name, int tag);
    QLabel* AddLabel(QFrame* panel, const QString& name);
    void UpdateBattery(TCustomRecorder& recorder);

    std::vector<QFrame*> m_subPanels;  // in tab order
    bool m_layingOut = false;
};

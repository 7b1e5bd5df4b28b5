#include "app/connection/StatusPanel.h"

#include <QLabel>
#include <QProgressBar>

#include "app/connection/BatteryBar.h"
#include "app/connection/StatusPanelLayout.h"
#include "app/services/FormatHms.h"
#include "core/links/ConnectType.h"
#include "core/recorder/CustomRecorder.h"
#include "localizer/LangFormat.h"

namespace {

const char kTagProperty[] = "Tag";

QColor FromColorRef(std::uint32_t colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

void SetText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->resize(label->sizeHint());
}

}  // namespace

QString StatusLabelText(const QString& label, const QString& formattedValue)
{
    return QStringLiteral(" ") + label + formattedValue;
}

TStatusPanel::TStatusPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pnlStatus"));
    setFrameShape(QFrame::NoFrame);

    pnlModel = AddSubPanel(QStringLiteral("pnlModel"), 0);
    lbModel = AddLabel(pnlModel, QStringLiteral("lbModel"));
    pnlFW = AddSubPanel(QStringLiteral("pnlFW"), 0);
    lbFWVer = AddLabel(pnlFW, QStringLiteral("lbFWVer"));
    pnlSN = AddSubPanel(QStringLiteral("pnlSN"), 0);
    lbSerNum = AddLabel(pnlSN, QStringLiteral("lbSerNum"));
    pnlDiv1 = AddSubPanel(QStringLiteral("pnlDiv1"), 0);
    lbDiv = AddLabel(pnlDiv1, QStringLiteral("lbDiv"));
    SetText(lbDiv, QStringLiteral(" "));
    pnlBat = AddSubPanel(QStringLiteral("pnlBat"), 0);
    lbBattery = AddLabel(pnlBat, QStringLiteral("lbBattery"));
    pbBat = new QProgressBar(pnlBat);
    pbBat->setObjectName(QStringLiteral("pbBat"));
    pbBat->setTextVisible(false);
    pbBat->setGeometry(0, 2, 60, 14);
    pnlTime = AddSubPanel(QStringLiteral("pnlTime"), 0);
    lbRecTime = AddLabel(pnlTime, QStringLiteral("lbRecTime"));
    Panel30 = AddSubPanel(QStringLiteral("Panel30"), 1);
    Panel30->hide();
    Panel4 = AddSubPanel(QStringLiteral("Panel4"), 1);
    lbTotalMem = AddLabel(Panel4, QStringLiteral("lbTotalMem"));
    Panel7 = AddSubPanel(QStringLiteral("Panel7"), 1);
    lbFreeMem = AddLabel(Panel7, QStringLiteral("lbFreeMem"));
    Panel9 = AddSubPanel(QStringLiteral("Panel9"), 1);
    lbMinRecDur = AddLabel(Panel9, QStringLiteral("lbMinRecDur"));
}

QFrame* TStatusPanel::AddSubPanel(const QString& name, int tag)
{
    auto* panel = new QFrame(this);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setProperty(kTagProperty, tag);
    m_subPanels.push_back(panel);
    return panel;
}

QLabel* TStatusPanel::AddLabel(QFrame* panel, const QString& name)
{
    auto* label = new QLabel(panel);
    label->setObjectName(name);
    label->move(0, 1);
    return label;
}

void TStatusPanel::UpdateFrom(TCustomRecorder& recorder, int connectType)
{
    const bool live = HasLiveStatus(connectType);
    pnlBat->setVisible(live);
    pnlTime->setVisible(live);
    if (live) {
        const SYSTEMTIME time = recorder.GetRecorderTime();
        SetText(lbRecTime,
                StatusLabelText(LangConst(QStringLiteral("RecTimeStr")),
                                LangFormat(QStringLiteral(" %.2d.%.2d.%.4d %.2d:%.2d:%.2d "), time.wDay, time.wMonth,
                                           time.wYear, time.wHour, time.wMinute, time.wSecond)));
        UpdateBattery(recorder);
    }
    SetText(lbModel, StatusLabelText(LangConst(QStringLiteral("ModelStr")),
                                     QStringLiteral(" ") + recorder.GetModelName() + QStringLiteral(" ")));
    SetText(lbSerNum, StatusLabelText(LangConst(QStringLiteral("SerNumStr")),
                                      QStringLiteral(" ") + recorder.GetSerialNumber() + QStringLiteral(" ")));
    const std::uint16_t firmware = recorder.GetFirmwareVersion();
    SetText(lbFWVer, StatusLabelText(LangConst(QStringLiteral("FWVerStr")),
                                     LangFormat(QStringLiteral(" %d.%d "), firmware >> 8, firmware & 0xFF)));
    const auto megabytes = [](std::int64_t bytes) { return static_cast<double>(bytes) / 1024.0 / 1024.0; };
    SetText(lbTotalMem,
            StatusLabelText(LangConst(QStringLiteral("TotalMemoryStr")),
                            LangFormat(QStringLiteral(" %0.2f MB "), megabytes(recorder.GetTotalMemory()))));
    SetText(lbFreeMem, StatusLabelText(LangConst(QStringLiteral("FreeMemoryStr")),
                                       LangFormat(QStringLiteral(" %0.2f MB "), megabytes(recorder.GetFreeMemory()))));
    SetText(lbMinRecDur, StatusLabelText(LangConst(QStringLiteral("MinRecordTimeStr")),
                                         QStringLiteral(" ") + FormatHms(recorder.GetRecordTimeLeft()) +
                                             QStringLiteral(" ")));
    LayOut();
}

void TStatusPanel::UpdateBattery(TCustomRecorder& recorder)
{
    const std::uint16_t voltage = recorder.GetSupplyVoltage();
    pbBat->move(0, pbBat->y());  // the layout puts it behind the label again
    SetText(lbBattery, StatusLabelText(LangConst(QStringLiteral("BatteryStr")),
                                       LangFormat(QStringLiteral(" %.2f "), voltage * 0.001)));
    const TBatteryBarState bar = BatteryBarState(recorder.GetHardwareVariant(), voltage, recorder.GetBatteryLevel());
    pbBat->setRange(0, bar.Maximum);
    pbBat->setValue(bar.Position);
    if (bar.Colour) {
        QPalette palette = pbBat->palette();
        palette.setColor(QPalette::Highlight, FromColorRef(*bar.Colour));
        pbBat->setPalette(palette);
    }
}

void TStatusPanel::LayOut()
{
    if (m_layingOut)
        return;
    m_layingOut = true;
    std::vector<QFrame*> visible;
    std::vector<TStatusFlowPanel> flow;
    for (QFrame* panel : m_subPanels) {
        if (panel->isHidden())
            continue;
        TStatusFlowPanel item;
        item.Tag = panel->property(kTagProperty).toInt();
        for (QObject* child : panel->children())
            if (auto* widget = qobject_cast<QWidget*>(child))
                item.Children.push_back(widget->geometry());
        visible.push_back(panel);
        flow.push_back(std::move(item));
    }
    const TStatusFlowResult result = LayOutStatusPanels(flow, width());
    for (std::size_t i = 0; i < visible.size(); ++i) {
        visible[i]->setGeometry(result.Panels[i]);
        int c = 0;
        for (QObject* child : visible[i]->children())
            if (auto* widget = qobject_cast<QWidget*>(child))
                widget->setGeometry(result.Children[i][static_cast<std::size_t>(c++)]);
    }
    setFixedHeight(result.Height);
    m_layingOut = false;
}

void TStatusPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    LayOut();
}

#include "app/dialogs/StatusWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/services/ApplicationTitle.h"
#include "app/services/CancelRequestSink.h"
#include "widgets/MyGauge.h"

TfrmStatus::TfrmStatus(TCancelRequestSink* cancelSink, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_cancelSink(cancelSink),
      m_mainWindow(mainWindow)
{
    BuildWidgets();
}

void TfrmStatus::BuildWidgets()
{
    setObjectName(QStringLiteral("frmStatus"));
    setWindowTitle(QStringLiteral("Executing..."));
    setModal(false);

    lbStatus = new QLabel(QStringLiteral("Status"), this);
    lbStatus->setObjectName(QStringLiteral("lbStatus"));
    cg1 = new TMyGauge(this);
    cg1->setObjectName(QStringLiteral("cg1"));
    cg1->setFixedHeight(22);
    cg1->setMinimumWidth(320);
    cg1->SetBackColor(palette().color(QPalette::Base));
    cg1->SetForeColor(palette().color(QPalette::Highlight));
    Button1 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TfrmStatus::Button1Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbStatus);
    layout->addWidget(cg1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmStatus::ShowProgress(const QString& caption, bool canCancel)
{
    lbStatus->setText(caption);
    cg1->SetProgress(0);
    cg1->setVisible(true);
    Button1->setEnabled(canCancel);
    show();
    repaint();
}

void TfrmStatus::SetProgress(std::uint8_t percent)
{
    cg1->SetProgress(percent);
}

void TfrmStatus::SetStatusText(const QString& text)
{
    lbStatus->setText(text);
}

void TfrmStatus::HideProgress()
{
    hide();
    Button1->setVisible(true);
}

void TfrmStatus::Button1Click()
{
    if (m_cancelSink)
        m_cancelSink->RequestCancel();
    Button1->setEnabled(false);
}

void TfrmStatus::reject()
{
    if (Button1->isEnabled())
        Button1->click();
}

void TfrmStatus::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

void TfrmStatus::showEvent(QShowEvent* event)
{
    m_keepFocus = true;
    CentreOnMainWindow();
    setWindowTitle(ApplicationTitle());
    QDialog::showEvent(event);
}

void TfrmStatus::hideEvent(QHideEvent* event)
{
    m_keepFocus = false;
    QDialog::hideEvent(event);
}

void TfrmStatus::CentreOnMainWindow()
{
    if (!m_mainWindow)
        return;
    if (layout())
        layout()->activate();
    const QRect main = m_mainWindow->frameGeometry();
    const QSize own = frameGeometry().size();
    move(main.left() + (main.width() - own.width()) / 2, main.top() + (main.height() - own.height()) / 2);
}

void TfrmStatus::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && m_keepFocus && !isActiveWindow())
        QTimer::singleShot(0, this, &TfrmStatus::TakeFocusBack);
}

void TfrmStatus::TakeFocusBack()
{
    // A modal window (a question a job raised) keeps the focus it has.
    if (!m_keepFocus || !isVisible() || isActiveWindow() || QApplication::activeModalWidget())
        return;
    activateWindow();
    raise();
}

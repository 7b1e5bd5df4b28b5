#include "app/main/HintWindowStyle.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOption>
#include <QToolTip>
#include <qdrawutil.h>

void TMyHintWindow::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const
{
    if (element != PE_PanelTipLabel) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QBrush fill = option->palette.toolTipBase();
    qDrawShadePanel(painter, option->rect, option->palette, false, 1, &fill);
}

bool TMyHintWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && QToolTip::isVisible()) {
        const bool shiftDown = type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Shift;
        if (!shiftDown)
            QToolTip::hideText();
    }
    return QProxyStyle::eventFilter(watched, event);
}

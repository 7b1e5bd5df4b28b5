#include "widgets/CanvasPanel.h"

#include <QPainter>

TCanvasPanel::TCanvasPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("CanvasPanel"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
}

void TCanvasPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    m_canvas = &painter;
    emit Paint(this);
    m_canvas = nullptr;
}

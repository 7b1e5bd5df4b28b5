#include "widgets/MyGauge.h"

#include <QImage>
#include <QPainter>
#include <climits>
#include <cmath>
#include <numbers>

#include "widgets/InvalidOperation.h"
#include "widgets/RoundHalfEven.h"

namespace {

[[noreturn]] void ThrowOutOfRange(qint64 low, qint64 high)
{
    throw EInvalidOperation("Value must be between " + std::to_string(low) + " and " + std::to_string(high));
}

int Round(double value)
{
    return static_cast<int>(RoundHalfEven(value));
}

} // namespace

TMyGauge::TMyGauge(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MyGauge"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
}

int TMyGauge::PercentDone() const
{
    const qint64 range = qint64(m_maxValue) - m_minValue;
    if (range == 0)
        return 0;
    return static_cast<int>((qint64(m_progress) - m_minValue) * 100 / range);
}

void TMyGauge::SetProgress(int value)
{
    const int before = PercentDone();
    m_progress = qBound(m_minValue, value, m_maxValue);
    if (PercentDone() != before)
        update();
}

void TMyGauge::SetMinValue(int value)
{
    if (value == m_minValue)
        return;
    if (value > m_maxValue)
        ThrowOutOfRange(-qint64(INT_MAX), qint64(m_maxValue) - 1);
    m_minValue = value;
    if (m_progress < value)
        m_progress = value;
    update();
}

void TMyGauge::SetMaxValue(int value)
{
    if (value == m_maxValue)
        return;
    if (value < m_minValue)
        ThrowOutOfRange(qint64(m_minValue) + 1, INT_MAX);
    m_maxValue = value;
    if (m_progress > value)
        m_progress = value;
    update();
}

void TMyGauge::SetKind(TMyGaugeKind kind)
{
    m_kind = kind;
    update();
}

void TMyGauge::SetShowText(bool on)
{
    m_showText = on;
    update();
}

void TMyGauge::SetBorderStyle(TGaugeBorderStyle style)
{
    m_borderStyle = style;
    update();
}

void TMyGauge::SetForeColor(const QColor& color)
{
    m_foreColor = color;
    update();
}

void TMyGauge::SetBackColor(const QColor& color)
{
    m_backColor = color;
    update();
}

QImage TMyGauge::Render() const
{
    const QSize size(qMax(1, width()), qMax(1, height()));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    const QRect area =
        m_borderStyle == bsSingle ? QRect(QPoint(0, 0), size).adjusted(1, 1, -1, -1) : QRect(QPoint(0, 0), size);
    const int percent = PercentDone();

    QImage overlay(size, QImage::Format_RGB32);
    overlay.fill(Qt::black);
    {
        QPainter painter(&overlay);
        DrawKind(painter, area, percent);
    }
    QPainter combine(&image);
    combine.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    combine.drawImage(0, 0, overlay);

    if (m_showText) {
        QImage text(size, QImage::Format_RGB32);
        text.fill(Qt::black);
        {
            QPainter painter(&text);
            painter.setFont(font());
            painter.setPen(Qt::white);
            painter.drawText(area, Qt::AlignCenter, QString::number(percent) + QLatin1Char('%'));
        }
        combine.drawImage(0, 0, text);
    }
    combine.end();
    return image;
}

void TMyGauge::DrawKind(QPainter& painter, const QRect& area, int percent) const
{
    const int w = area.width();
    const int h = area.height();
    const QColor panelColor = palette().color(backgroundRole());
    switch (m_kind) {
    case gkText:
        painter.fillRect(area, m_backColor);
        break;
    case gkHorizontalBar: {
        painter.fillRect(area, m_backColor);
        const int barWidth = qMin(w, static_cast<int>(std::trunc(w * percent * 0.01)));
        if (barWidth > 0)
            painter.fillRect(QRect(area.left(), area.top(), barWidth, h), m_foreColor);
        break;
    }
    case gkVerticalBar: {
        painter.fillRect(area, m_backColor);
        int barHeight = static_cast<int>(std::trunc(h * percent * 0.01));
        if (barHeight >= h)
            barHeight = h - 1;
        if (barHeight > 0)
            painter.fillRect(QRect(area.left(), area.bottom() + 1 - barHeight, w, barHeight), m_foreColor);
        break;
    }
    case gkPie: {
        painter.fillRect(area, panelColor);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRect ellipse = m_borderStyle == bsSingle ? area : area.adjusted(0, 0, -1, -1);
        painter.setPen(m_foreColor);
        painter.setBrush(m_backColor);
        painter.drawEllipse(ellipse);
        if (percent > 0) {
            // Clockwise from the top centre.
            painter.setBrush(m_foreColor);
            painter.drawPie(ellipse, 90 * 16, -qRound(percent * 3.6 * 16));
        }
        break;
    }
    case gkNeedle: {
        painter.fillRect(area, panelColor);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRect ellipse(area.left(), area.top(), w - 1, 2 * h - 1);
        painter.setPen(m_foreColor);
        painter.setBrush(m_backColor);
        painter.drawPie(ellipse, 0, 180 * 16);
        const int baseY = area.top() + h - 1;
        painter.drawLine(area.left(), baseY, area.left() + w - 1, baseY);
        if (percent > 0) {
            const double angle = std::numbers::pi * percent / 100.0;
            const QPoint tip(area.left() + Round(w / 2.0 * (1.0 - std::cos(angle))),
                             area.top() + Round((h - 1) * (1.0 - std::sin(angle))));
            painter.drawLine(QPoint(area.left() + w / 2, baseY), tip);
        }
        break;
    }
    }
}

void TMyGauge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
}

#include "widgets/MySpinButton.h"

#include <QGuiApplication>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

// The glyphs live in this library's resources; a static library must
// register them itself.
static void InitWidgetGlyphs()
{
    Q_INIT_RESOURCE(WidgetGlyphs);
}

namespace {

QPixmap BuiltInGlyph(const char* name)
{
    return QPixmap(QStringLiteral(":/widgets/") + QLatin1String(name));
}

}  // namespace

TMySpinButton::TMySpinButton(QWidget* parent) : QWidget(parent)
{
    static const bool glyphsRegistered = (InitWidgetGlyphs(), true);
    Q_UNUSED(glyphsRegistered);
    setObjectName(QStringLiteral("MySpinButton"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    m_upGlyph = BuiltInGlyph("MySpinUP");
    m_downGlyph = BuiltInGlyph("MySpinDOWN");
    m_repeatTimer.setObjectName(QStringLiteral("RepeatTimer"));
    m_repeatTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_repeatTimer, &QTimer::timeout, this, &TMySpinButton::RepeatTick);
    resize(20, 20);
    RebuildBitmaps();
}

void TMySpinButton::SetUpGlyph(const QPixmap& glyph)
{
    m_upGlyph = glyph.isNull() ? BuiltInGlyph("MySpinUP") : glyph;
    RebuildBitmaps();
    update();
}

void TMySpinButton::SetDownGlyph(const QPixmap& glyph)
{
    m_downGlyph = glyph.isNull() ? BuiltInGlyph("MySpinDOWN") : glyph;
    RebuildBitmaps();
    update();
}

void TMySpinButton::SetRepeatIntervals(int firstMs, int nextMs)
{
    m_firstRepeatMs = firstMs;
    m_nextRepeatMs = nextMs;
}

TMySpinButton::TPart TMySpinButton::PartAt(const QPoint& point) const
{
    // Upper-left of the diagonal from (0, height) to (width, 0).
    const double w = width();
    const double h = height();
    if (h <= 0.0)
        return pUpper;
    return point.x() <= w - (w / h) * point.y() ? pUpper : pLower;
}

void TMySpinButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (m_focusControl && m_focusControl->focusPolicy() != Qt::NoFocus && m_focusControl->isEnabled() &&
        m_focusControl->isVisible() && !m_focusControl->hasFocus())
        m_focusControl->setFocus(Qt::MouseFocusReason);
    m_mouseDown = true;
    m_pressStartPart = PartAt(event->position().toPoint());
    SetPressedPart(m_pressStartPart);
    FirePartClick(m_pressStartPart);
    m_repeatTimer.start(m_firstRepeatMs);
}

void TMySpinButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_mouseDown)
        return;
    const QPoint point = event->position().toPoint();
    const bool overStartPart = rect().contains(point) && PartAt(point) == m_pressStartPart;
    SetPressedPart(overStartPart ? m_pressStartPart : pNone);
}

void TMySpinButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_mouseDown = false;
    m_repeatTimer.stop();
    SetPressedPart(pNone);
}

void TMySpinButton::leaveEvent(QEvent* event)
{
    SetPressedPart(pNone);
    QWidget::leaveEvent(event);
}

void TMySpinButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) {
        RebuildBitmaps();
        update();
    }
    QWidget::changeEvent(event);
}

void TMySpinButton::RepeatTick()
{
    m_repeatTimer.setInterval(m_nextRepeatMs);
    if (m_mouseDown && m_pressedPart != pNone)
        FirePartClick(m_pressedPart);
}

void TMySpinButton::FirePartClick(TPart part)
{
    const QMetaMethod signal = part == pUpper ? QMetaMethod::fromSignal(&TMySpinButton::TopClick)
                                              : QMetaMethod::fromSignal(&TMySpinButton::BottomClick);
    if (!isSignalConnected(signal))
        return;
    if (part == pUpper)
        emit TopClick();
    else
        emit BottomClick();
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton) && !m_mouseDown)
        SetPressedPart(pNone);
}

void TMySpinButton::SetPressedPart(TPart part)
{
    if (m_pressedPart == part)
        return;
    m_pressedPart = part;
    update();
}

void TMySpinButton::resizeEvent(QResizeEvent* event)
{
    RebuildBitmaps();
    QWidget::resizeEvent(event);
}

void TMySpinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPixmap& bitmap = m_pressedPart == pUpper   ? m_upperPressedBitmap
                            : m_pressedPart == pLower ? m_lowerPressedBitmap
                                                      : m_normalBitmap;
    painter.drawPixmap(0, 0, bitmap);
}

void TMySpinButton::RebuildBitmaps()
{
    m_normalBitmap = DrawState(pNone);
    m_upperPressedBitmap = DrawState(pUpper);
    m_lowerPressedBitmap = DrawState(pLower);
}

QPixmap TMySpinButton::DrawState(TPart sunkenPart) const
{
    const int w = qMax(1, width());
    const int h = qMax(1, height());
    QPixmap bitmap(w, h);
    bitmap.fill(palette().color(QPalette::Button));
    QPainter painter(&bitmap);

    const QPointF topLeft(0, 0), topRight(w, 0), bottomLeft(0, h), bottomRight(w, h);
    QPainterPath upper;
    upper.moveTo(topLeft);
    upper.lineTo(topRight);
    upper.lineTo(bottomLeft);
    upper.closeSubpath();
    QPainterPath lower;
    lower.moveTo(topRight);
    lower.lineTo(bottomRight);
    lower.lineTo(bottomLeft);
    lower.closeSubpath();
    if (sunkenPart != pNone)
        painter.fillPath(sunkenPart == pUpper ? upper : lower, palette().color(QPalette::Mid));

    // Light on the raised edges, dark on the shadowed ones; a sunken part swaps them.
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    painter.setPen(sunkenPart == pUpper ? dark : light);
    painter.drawLine(1, 1, w - 2, 1);
    painter.drawLine(1, 1, 1, h - 2);
    painter.setPen(sunkenPart == pLower ? light : dark);
    painter.drawLine(w - 2, 1, w - 2, h - 2);
    painter.drawLine(1, h - 2, w - 2, h - 2);

    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(0, 0, w - 1, h - 1);
    painter.drawLine(0, h - 1, w - 1, 0);

    // Glyphs centred in their triangles (at the centroids), shifted when sunken.
    auto drawGlyph = [&](const QPixmap& glyph, QPointF centre, bool sunken) {
        if (glyph.isNull())
            return;
        const QPointF shift = sunken ? QPointF(1, 1) : QPointF(0, 0);
        const QPointF origin = centre - QPointF(glyph.width() / 2.0, glyph.height() / 2.0) + shift;
        if (!isEnabled())
            painter.setOpacity(0.4);
        painter.drawPixmap(origin.toPoint(), glyph);
        painter.setOpacity(1.0);
    };
    drawGlyph(m_upGlyph, QPointF(w / 3.0, h / 3.0), sunkenPart == pUpper);
    drawGlyph(m_downGlyph, QPointF(2.0 * w / 3.0, 2.0 * h / 3.0), sunkenPart == pLower);
    return bitmap;
}

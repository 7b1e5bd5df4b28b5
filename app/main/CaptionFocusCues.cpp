#include "app/main/CaptionFocusCues.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

#include "app/services/AppMessageBox.h"

namespace {

const char* const kHighlighted = "focusHighlighted";

void Paint(QWidget& caption, bool highlighted)
{
    if (caption.property(kHighlighted).isValid() && caption.property(kHighlighted).toBool() == highlighted)
        return;
    caption.setProperty(kHighlighted, highlighted);
    QPalette palette = QApplication::palette(&caption);
    if (highlighted) {
        palette.setColor(QPalette::Window, palette.color(QPalette::Active, QPalette::Highlight));
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Active, QPalette::HighlightedText));
    } else {
        palette.setColor(QPalette::Window, palette.color(QPalette::Active, QPalette::Mid));
    }
    caption.setAutoFillBackground(true);
    caption.setPalette(palette);
}

}  // namespace

TCaptionFocusCues::TCaptionFocusCues(QObject* parent) : QObject(parent)
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FocusChanged(now); });
}

void TCaptionFocusCues::Watch(QWidget& side, QWidget& caption)
{
    m_sides.push_back({&side, &caption});
    Paint(caption, side.isAncestorOf(QApplication::focusWidget()) || &side == QApplication::focusWidget());
}

void TCaptionFocusCues::FocusOnClick(QWidget& label, std::function<void()> focus)
{
    m_clicks.push_back({&label, std::move(focus)});
    label.installEventFilter(this);
}

bool TCaptionFocusCues::Highlighted(const QWidget& caption)
{
    return caption.property(kHighlighted).toBool();
}

void TCaptionFocusCues::FocusChanged(QWidget* now)
{
    // Focus that leaves the window (a dialog, another program) keeps the cue.
    if (!now)
        return;
    for (const TSide& side : m_sides)
        if (side.Side && side.Caption && side.Side->window() == now->window())
            Paint(*side.Caption, side.Side == now || side.Side->isAncestorOf(now));
}

bool TCaptionFocusCues::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        for (const TClick& click : m_clicks)
            if (click.Label == watched && click.Focus)
                RunGuarded(click.Focus);
    return QObject::eventFilter(watched, event);
}

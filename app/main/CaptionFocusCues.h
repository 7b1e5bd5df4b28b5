#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

// The focus cues of the main window's two sides: a side's caption panel
// takes the highlight colour while the focus is inside the side, and a
// muted one otherwise; clicking a caption's label moves the focus.
class TCaptionFocusCues : public QObject {
    Q_OBJECT
public:
    explicit TCaptionFocusCues(QObject* parent);

    // caption shows whether the focus is in side.
    void Watch(QWidget& side, QWidget& caption);
    // A click on label runs focus.
    void FocusOnClick(QWidget& label, std::function<void()> focus);
    // Whether caption shows the focus now.
    static bool Highlighted(const QWidget& caption);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FocusChanged(QWidget* now);

    struct TSide {
        QPointer<QWidget> Side;
        QPointer<QWidget> Caption;
    };
    struct TClick {
        QPointer<QWidget> Label;
        std::function<void()> Focus;
    };
    QList<TSide> m_sides;
    QList<TClick> m_clicks;
};

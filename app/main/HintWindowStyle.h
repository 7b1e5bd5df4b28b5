#pragma once

#include <QProxyStyle>

// TMyHintWindow as a style: tool tips drawn with a raised outer edge, also
// under themed styles. Installed as the application's event filter, it also
// ends a shown tip on every key event but the key-down of Shift, so the copy
// buttons can turn into move buttons under a shown hint.
class TMyHintWindow : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

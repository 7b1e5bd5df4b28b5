#pragma once

#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// A square button split by its diagonal (bottom-left to top-right) into an
// upper part (upper-left triangle) and a lower part (lower-right triangle).
// Holding a part repeats its click: once at once, again after the first
// repeat interval, then at every following interval.
class TMySpinButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QPixmap UpGlyph READ UpGlyph WRITE SetUpGlyph)
    Q_PROPERTY(QPixmap DownGlyph READ DownGlyph WRITE SetDownGlyph)
public:
    enum TPart { pNone = 0, pUpper = 1, pLower = 2 };

    explicit TMySpinButton(QWidget* parent = nullptr);

    QPixmap UpGlyph() const { return m_upGlyph; }
    QPixmap DownGlyph() const { return m_downGlyph; }
    // A null pixmap reloads the built-in glyph.
    void SetUpGlyph(const QPixmap& glyph);
    void SetDownGlyph(const QPixmap& glyph);

    // The control that takes the focus on a press; cleared when it is destroyed.
    QWidget* FocusControl() const { return m_focusControl; }
    void SetFocusControl(QWidget* control) { m_focusControl = control; }

    // Repeat timing in milliseconds (400 and 100 by default).
    void SetRepeatIntervals(int firstMs, int nextMs);

    TPart PressedPart() const { return m_pressedPart; }
    // Which part a point of the button lies in.
    TPart PartAt(const QPoint& point) const;

    QSize sizeHint() const override { return {20, 20}; }

signals:
    void TopClick();
    void BottomClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void RepeatTick();
    void FirePartClick(TPart part);
    void SetPressedPart(TPart part);
    void RebuildBitmaps();
    QPixmap DrawState(TPart sunkenPart) const;

    QPixmap m_upGlyph;
    QPixmap m_downGlyph;
    QPointer<QWidget> m_focusControl;
    TPart m_pressedPart = pNone;
    TPart m_pressStartPart = pNone;
    bool m_mouseDown = false;
    QTimer m_repeatTimer;
    int m_firstRepeatMs = 400;
    int m_nextRepeatMs = 100;
    QPixmap m_normalBitmap;
    QPixmap m_upperPressedBitmap;
    QPixmap m_lowerPressedBitmap;
};

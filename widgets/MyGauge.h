#pragma once

#include <QColor>
#include <QWidget>

enum TMyGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
enum TGaugeBorderStyle { bsNone, bsSingle };

// A progress gauge in five styles. The percentage text is combined with the
// picture by XOR so it reads over the bar and beside it.
class TMyGauge : public QWidget {
    Q_OBJECT
public:
    explicit TMyGauge(QWidget* parent = nullptr);

    TMyGaugeKind Kind() const { return m_kind; }
    void SetKind(TMyGaugeKind kind);
    int MinValue() const { return m_minValue; }
    // Raises EInvalidOperation when above MaxValue; lifts Progress to it.
    void SetMinValue(int value);
    int MaxValue() const { return m_maxValue; }
    // Raises EInvalidOperation when below MinValue; lowers Progress to it.
    void SetMaxValue(int value);
    int Progress() const { return m_progress; }
    // Clamps to the limits; repaints only when the percentage shown changes.
    void SetProgress(int value);
    bool ShowText() const { return m_showText; }
    void SetShowText(bool on);
    TGaugeBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TGaugeBorderStyle style);
    QColor ForeColor() const { return m_foreColor; }
    void SetForeColor(const QColor& color);
    QColor BackColor() const { return m_backColor; }
    void SetBackColor(const QColor& color);

    // trunc((Progress - Min) x 100 / (Max - Min)); 0 when the limits are equal.
    int PercentDone() const;

    // The picture as it is painted, for tests and screenshots.
    QImage Render() const;

    QSize sizeHint() const override { return {100, 100}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void DrawKind(QPainter& painter, const QRect& area, int percent) const;

    TMyGaugeKind m_kind = gkHorizontalBar;
    int m_minValue = 0;
    int m_maxValue = 100;
    int m_progress = 0;
    bool m_showText = true;
    TGaugeBorderStyle m_borderStyle = bsSingle;
    QColor m_foreColor = Qt::black;
    QColor m_backColor = Qt::white;
};

#pragma once

#include <QFrame>

class QPainter;

// A raised panel whose owner draws on it: after the panel's own painting
// (bevel and fill) Paint is emitted with the panel's canvas.
class TCanvasPanel : public QFrame {
    Q_OBJECT
public:
    explicit TCanvasPanel(QWidget* parent = nullptr);

    // The painter of the paint under way; null outside Paint.
    QPainter* Canvas() const { return m_canvas; }

signals:
    void Paint(TCanvasPanel* sender);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPainter* m_canvas = nullptr;
};

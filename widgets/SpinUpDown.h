#pragma once

#include <QWidget>

class QToolButton;

// A standard vertical up-down control: range -1..1, position 0. A press on
// an arrow reports "next" or "previous" and puts the position back to 0.
class TSpinUpDown : public QWidget {
    Q_OBJECT
public:
    enum TUDBtnType { btNext, btPrev };

    explicit TSpinUpDown(QWidget* parent = nullptr);

    int Min() const { return -1; }
    int Max() const { return 1; }
    int Position() const { return m_position; }

signals:
    void Click(TSpinUpDown::TUDBtnType button);

private:
    void Scroll(TUDBtnType button);

    QToolButton* m_next = nullptr;
    QToolButton* m_prev = nullptr;
    int m_position = 0;
};

#include "widgets/SpinUpDown.h"

#include <QToolButton>
#include <QVBoxLayout>

TSpinUpDown::TSpinUpDown(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SpinUpDown"));
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto makeArrow = [&](Qt::ArrowType arrow, const char* name) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        layout->addWidget(button);
        return button;
    };
    m_next = makeArrow(Qt::UpArrow, "btnNext");
    m_prev = makeArrow(Qt::DownArrow, "btnPrev");
    connect(m_next, &QToolButton::clicked, this, [this] { Scroll(btNext); });
    connect(m_prev, &QToolButton::clicked, this, [this] { Scroll(btPrev); });
}

void TSpinUpDown::Scroll(TUDBtnType button)
{
    m_position = button == btNext ? Max() : Min();
    emit Click(button);
    m_position = 0;
}

#include "widgets/MySpinEdit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QSignalBlocker>
#include <QStyle>
#include <limits>

#include "widgets/MySpinButton.h"
#include "widgets/RoundHalfEven.h"
#include "widgets/SpinUpDown.h"

namespace {

// The user's locale for numbers, without group separators on either side.
QLocale NumberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

qint64 ToInt64(double value)
{
    const double rounded = RoundHalfEven(value);
    constexpr double limit = 9.2e18;
    return static_cast<qint64>(qBound(-limit, rounded, limit));
}

bool IsHexDigits(const QString& text)
{
    if (text.isEmpty() || text.size() > 16)
        return false;
    for (const QChar c : text)
        if (!QStringLiteral("0123456789ABCDEFabcdef").contains(c))
            return false;
    return true;
}

}  // namespace

TMySpinEdit::TMySpinEdit(QWidget* parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("MySpinEdit"));
    setText(QStringLiteral("0"));
    RebuildButton();
    UpdateMinimumHeight();
}

double TMySpinEdit::TextValue() const
{
    const QString trimmed = text().trimmed();
    bool ok = false;
    switch (m_valueType) {
    case vtInteger: {
        const qint64 value = trimmed.toLongLong(&ok, 10);
        return ok ? static_cast<double>(value) : static_cast<double>(ToInt64(m_minValue));
    }
    case vtHex: {
        if (IsHexDigits(trimmed)) {
            const quint64 value = trimmed.toULongLong(&ok, 16);
            if (ok)
                return static_cast<double>(static_cast<qint64>(value));
        }
        return static_cast<double>(ToInt64(m_minValue));
    }
    case vtFloat: {
        const double value = NumberLocale().toDouble(trimmed, &ok);
        return ok ? value : m_minValue;
    }
    }
    return m_minValue;
}

double TMySpinEdit::Limited(double value) const
{
    if (!HasLimits())
        return value;
    if (value < m_minValue)
        return m_minValue;
    if (value > m_maxValue)
        return m_maxValue;
    return value;
}

double TMySpinEdit::Value() const
{
    return Limited(TextValue());
}

QString TMySpinEdit::FormatValue(double value) const
{
    switch (m_valueType) {
    case vtInteger:
        return QString::number(ToInt64(value));
    case vtHex:
        return QString::number(static_cast<quint64>(ToInt64(value)), 16).toUpper();
    case vtFloat:
        // Fixed-point with 15 significant digits: larger values go scientific.
        if (std::abs(value) >= 1e15)
            return NumberLocale().toString(value, 'g', 15);
        return NumberLocale().toString(value, 'f', m_decimal);
    }
    return QString();
}

void TMySpinEdit::SetValue(double value)
{
    setText(FormatValue(Limited(value)));
}

void TMySpinEdit::SetValueType(TValueType type)
{
    if (type == m_valueType)
        return;
    const double value = Value();
    m_valueType = type;
    if (type != vtFloat) {
        m_increment = RoundHalfEven(m_increment);
        if (m_increment == 0.0)
            m_increment = 1.0;
    }
    SetValue(value);
}

void TMySpinEdit::SetDecimal(quint8 digits)
{
    if (digits == m_decimal)
        return;
    const double value = Value();
    m_decimal = digits;
    SetValue(value);
}

void TMySpinEdit::UpClick()
{
    Step(m_increment, true);
}

void TMySpinEdit::DownClick()
{
    Step(-m_increment, false);
}

void TMySpinEdit::Step(double delta, bool up)
{
    if (isReadOnly()) {
        QApplication::beep();
        return;
    }
    const QString before = text();
    {
        QSignalBlocker holdBack(this);
        SetValue(Value() + delta);
    }
    if (text().compare(before, Qt::CaseInsensitive) != 0) {
        setModified(true);
        emit textChanged(text());
    }
    if (up)
        emit TopClick();
    else
        emit BottomClick();
}

bool TMySpinEdit::IsValidChar(QChar c) const
{
    const ushort code = c.unicode();
    if (code < 32)
        return m_editorEnabled || c != QLatin1Char('\b');
    if (!m_editorEnabled)
        return false;
    if (c == QLatin1Char('+') || c == QLatin1Char('-') || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
        return true;
    if (m_valueType == vtFloat) {
        const QString separator = QLocale().decimalPoint();
        if (QString(c) == separator && !text().contains(separator))
            return true;
        if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && !text().contains(QLatin1Char('E'), Qt::CaseInsensitive))
            return true;
    }
    if (m_valueType == vtHex && QStringLiteral("ABCDEFabcdef").contains(c))
        return true;
    return false;
}

void TMySpinEdit::keyPressEvent(QKeyEvent* event)
{
    if (m_arrowKeys && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        if (event->key() == Qt::Key_Up)
            UpClick();
        else
            DownClick();
        event->accept();
        return;
    }
    if ((event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) && !CanEditText()) {
        event->accept();
        return;
    }
    const bool isErase =
        event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace || event->text() == QStringLiteral("\x7f");
    if (isErase && !m_editorEnabled) {
        QApplication::beep();
        event->accept();
        return;
    }
    if (!isErase && !(event->modifiers() & Qt::ControlModifier)) {
        for (const QChar c : event->text()) {
            if (!IsValidChar(c)) {
                QApplication::beep();
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TMySpinEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (m_autoSelect && QGuiApplication::mouseButtons() == Qt::NoButton)
        selectAll();
}

void TMySpinEdit::focusOutEvent(QFocusEvent* event)
{
    if (HasLimits()) {
        const double value = TextValue();
        if (value < m_minValue || value > m_maxValue)
            SetValue(value);
    }
    QLineEdit::focusOutEvent(event);
}

void TMySpinEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    if (!CanEditText()) {
        for (QAction* action : menu->actions()) {
            const QString name = action->objectName();
            if (name == QLatin1String("edit-paste") || name == QLatin1String("edit-cut") ||
                name == QLatin1String("edit-delete"))
                action->setEnabled(false);
        }
    }
    menu->exec(event->globalPos());
    delete menu;
}

void TMySpinEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // Middle-button paste of the selection, as paste.
    if (event->button() == Qt::MiddleButton && !CanEditText()) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TMySpinEdit::dragEnterEvent(QDragEnterEvent* event)
{
    if (!CanEditText()) {
        event->ignore();
        return;
    }
    QLineEdit::dragEnterEvent(event);
}

void TMySpinEdit::dropEvent(QDropEvent* event)
{
    if (!CanEditText()) {
        event->ignore();
        return;
    }
    QLineEdit::dropEvent(event);
}

void TMySpinEdit::SetButtonKind(TSpinButtonKind kind)
{
    if (kind == m_buttonKind)
        return;
    m_buttonKind = kind;
    RebuildButton();
}

QWidget* TMySpinEdit::Button() const
{
    if (m_spinButton)
        return m_spinButton;
    return m_upDown;
}

void TMySpinEdit::RebuildButton()
{
    delete m_buttonContainer;
    m_buttonContainer = nullptr;
    m_spinButton = nullptr;
    delete m_upDown;
    m_upDown = nullptr;
    if (m_buttonKind == bkDiagonal) {
        m_buttonContainer = new QWidget(this);
        m_buttonContainer->setObjectName(QStringLiteral("ButtonContainer"));
        m_spinButton = new TMySpinButton(m_buttonContainer);
        m_spinButton->SetFocusControl(this);
        connect(m_spinButton, &TMySpinButton::TopClick, this, &TMySpinEdit::UpClick);
        connect(m_spinButton, &TMySpinButton::BottomClick, this, &TMySpinEdit::DownClick);
        m_buttonContainer->show();
    } else {
        m_upDown = new TSpinUpDown(this);
        connect(m_upDown, &TSpinUpDown::Click, this, [this](TSpinUpDown::TUDBtnType button) {
            if (focusPolicy() != Qt::NoFocus && isEnabled() && isVisible())
                setFocus(Qt::MouseFocusReason);
            if (button == TSpinUpDown::btNext)
                UpClick();
            else
                DownClick();
        });
        m_upDown->show();
    }
    PlaceButton();
}

int TMySpinEdit::ButtonWidth() const
{
    const int frame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) : 0;
    if (m_buttonKind == bkStandard)
        return qMin(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), 15);
    return qMax(0, height() - 2 * frame);
}

void TMySpinEdit::PlaceButton()
{
    const int frame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) : 0;
    const int buttonWidth = ButtonWidth();
    const int innerHeight = qMax(0, height() - 2 * frame);
    const QRect area(width() - frame - buttonWidth, frame, buttonWidth, innerHeight);
    if (m_buttonContainer) {
        m_buttonContainer->setGeometry(area);
        m_spinButton->setGeometry(0, 0, buttonWidth, innerHeight);
    }
    if (m_upDown)
        m_upDown->setGeometry(area);
    setTextMargins(0, 0, buttonWidth + 2, 0);
}

void TMySpinEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    PlaceButton();
}

void TMySpinEdit::UpdateMinimumHeight()
{
    // Four border heights, the character height and one pixel.
    setMinimumHeight(4 + fontMetrics().height() + 1);
}

void TMySpinEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateMinimumHeight();
        PlaceButton();
    } else if (event->type() == QEvent::StyleChange) {
        PlaceButton();
    }
}

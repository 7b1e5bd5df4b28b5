#pragma once

#include <QLineEdit>

class TMySpinButton;
class TSpinUpDown;

// How the spin edit reads and writes its text.
enum TValueType { vtInteger, vtFloat, vtHex };
// bkDiagonal: a TMySpinButton at the right; bkStandard: a TSpinUpDown.
enum TSpinButtonKind { bkStandard, bkDiagonal };

// A numeric edit with a spin button: integer, fixed-point or hexadecimal
// values with limits (equal limits mean none) and an increment.
class TMySpinEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TMySpinEdit(QWidget* parent = nullptr);

    // The text's value, limited to [MinValue, MaxValue] when they differ.
    double Value() const;
    // Limits the value, then writes it as text in the value type's form.
    void SetValue(double value);

    double MinValue() const { return m_minValue; }
    void SetMinValue(double value) { m_minValue = value; }
    double MaxValue() const { return m_maxValue; }
    void SetMaxValue(double value) { m_maxValue = value; }
    double Increment() const { return m_increment; }
    void SetIncrement(double value) { m_increment = value; }

    TValueType ValueType() const { return m_valueType; }
    // Rewrites the text in the new form; integer and hex round the increment
    // (an increment that becomes 0 is 1).
    void SetValueType(TValueType type);
    quint8 Decimal() const { return m_decimal; }
    void SetDecimal(quint8 digits);

    bool ArrowKeys() const { return m_arrowKeys; }
    void SetArrowKeys(bool on) { m_arrowKeys = on; }
    bool EditorEnabled() const { return m_editorEnabled; }
    void SetEditorEnabled(bool on) { m_editorEnabled = on; }
    bool AutoSelect() const { return m_autoSelect; }
    void SetAutoSelect(bool on) { m_autoSelect = on; }

    TSpinButtonKind ButtonKind() const { return m_buttonKind; }
    void SetButtonKind(TSpinButtonKind kind);
    // The current button: a TMySpinButton or a TSpinUpDown.
    QWidget* Button() const;

    // One step up or down; beeps instead while read-only.
    void UpClick();
    void DownClick();

    // Whether a typed character is taken in the current state.
    bool IsValidChar(QChar c) const;

signals:
    void TopClick();
    void BottomClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    double TextValue() const;
    QString FormatValue(double value) const;
    double Limited(double value) const;
    bool HasLimits() const { return m_minValue != m_maxValue; }
    bool CanEditText() const { return m_editorEnabled && !isReadOnly(); }
    void Step(double delta, bool up);
    void RebuildButton();
    void PlaceButton();
    int ButtonWidth() const;
    void UpdateMinimumHeight();

    double m_minValue = 0.0;
    double m_maxValue = 0.0;
    double m_increment = 1.0;
    TValueType m_valueType = vtInteger;
    quint8 m_decimal = 2;
    bool m_arrowKeys = true;
    bool m_editorEnabled = true;
    bool m_autoSelect = true;
    TSpinButtonKind m_buttonKind = bkDiagonal;
    QWidget* m_buttonContainer = nullptr;
    TMySpinButton* m_spinButton = nullptr;
    TSpinUpDown* m_upDown = nullptr;
};

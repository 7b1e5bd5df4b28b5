#pragma once

#include <QObject>
#include <cstdint>
#include <optional>

class QLabel;
class QWidget;

// A marker beside a control whose stored value lies outside what the
// control can show (the control clamps): it shows the stored value, which
// stays stored until the user changes the control.
class TStoredValueMarker : public QObject {
    Q_OBJECT
public:
    explicit TStoredValueMarker(QWidget& control);

    // The stored value the control cannot show, or nothing (marker hidden).
    void Show(std::optional<std::int64_t> stored);
    QLabel* Label() const { return m_label; }

private:
    QWidget& m_control;
    QLabel* m_label = nullptr;
};

#pragma once

#include <QDialog>

#include "app/services/ProgressWindow.h"

class QLabel;
class QPushButton;
class TCancelRequestSink;
class TMyGauge;

// The progress window of a long operation: a status text, a gauge and
// Cancel. Shown modeless over the disabled main window; while shown it takes
// the focus back when it loses it, unless a modal window (a question the job
// asks) is up.
class TfrmStatus : public QDialog, public TProgressWindow {
    Q_OBJECT
public:
    TfrmStatus(TCancelRequestSink* cancelSink, QWidget* mainWindow = nullptr);

    void ShowProgress(const QString& caption, bool canCancel) override;
    void SetProgress(std::uint8_t percent) override;
    void SetStatusText(const QString& text) override;
    bool ProgressShown() const override { return isVisible(); }
    void HideProgress() override;

    // Escape stands for Cancel; the window never closes itself.
    void reject() override;

    bool KeepsFocus() const { return m_keepFocus; }

    QLabel* lbStatus = nullptr;
    TMyGauge* cg1 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildWidgets();
    void Button1Click();
    void CentreOnMainWindow();
    void TakeFocusBack();

    TCancelRequestSink* m_cancelSink;
    QWidget* m_mainWindow;
    bool m_keepFocus = false;
};

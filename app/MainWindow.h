#pragma once

#include <QMainWindow>

// The main window's frame; the connection controller, the lists and the
// actions are hosted here as they come.
class TfrmTrellavoxMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmTrellavoxMain(QWidget* parent = nullptr);
};

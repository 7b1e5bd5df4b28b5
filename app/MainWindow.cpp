#include "MainWindow.h"

TfrmTrellavoxMain::TfrmTrellavoxMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmTrellavoxMain"));
    setWindowTitle(QStringLiteral("Trellavox"));
    resize(800, 600);
}

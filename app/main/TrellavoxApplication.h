#pragma once

#include <QApplication>

// The application object: an exception that escapes an event handler is
// shown with the title and its text, and the program goes on.
class TTrellavoxApplication : public QApplication {
    Q_OBJECT
public:
    TTrellavoxApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

#include "app/main/TrellavoxApplication.h"

#include "app/services/AppMessageBox.h"

TTrellavoxApplication::TTrellavoxApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TTrellavoxApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowUnknownException();
    }
    return false;
}

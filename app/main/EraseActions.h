#pragma once

#include <QObject>
#include <functional>

class QAction;
class TContentListsController;
class TCustomRecorder;
class TLongOperation;

// actRecErase and actFormat of the main window.
class TEraseActions : public QObject {
public:
    TEraseActions(QAction& erase, QAction& format, TContentListsController& lists, TLongOperation& operation,
                  std::function<TCustomRecorder*()> recorder, QObject* parent);

    void actRecEraseExecute();
    void actFormatExecute();

private:
    TContentListsController& m_lists;
    TLongOperation& m_operation;
    std::function<TCustomRecorder*()> m_recorder;
};

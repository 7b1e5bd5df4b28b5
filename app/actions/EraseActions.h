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

    // Fills the lists' drive selection from the selected flash-drive rows,
    // folders with everything beneath them (the copy actions' collector).
    std::function<void()> CollectDriveSelection;

private:
    TContentListsController& m_lists;
    TLongOperation& m_operation;
    std::function<TCustomRecorder*()> m_recorder;
};

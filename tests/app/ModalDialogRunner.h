#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

// Answers a modal dialog from inside its exec(): as soon as the modal window
// named objectName is up, answer runs with it.
inline void WhenModalShown(const QString& objectName, std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, objectName, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != objectName || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start();
}

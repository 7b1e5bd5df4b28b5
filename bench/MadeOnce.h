#pragma once

#include <QCoreApplication>

// The one T of the bench, made at the first call and gone with the
// application object (before Qt goes).
template <class T> T& MadeOnce()
{
    static T* made = nullptr;
    if (!made) {
        made = new T;
        qAddPostRoutine([] {
            delete made;
            made = nullptr;
        });
    }
    return *made;
}

#include "app/main/CommandLine.h"

#include <QCoreApplication>

bool HasCommandLineWord(const QStringList& arguments, const QString& word)
{
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (arguments[i].toUpper() == word.toUpper())
            return true;
    return false;
}

bool HasCommandLineWord(const QString& word)
{
    return HasCommandLineWord(QCoreApplication::arguments(), word);
}

#pragma once

#include <QString>
#include <QStringList>

// True when an argument after the program path equals the word, ignoring
// case; "/diag" or "-diag" do not count.
bool HasCommandLineWord(const QStringList& arguments, const QString& word);
// The same over the program's own command line.
bool HasCommandLineWord(const QString& word);

#pragma once

#include <QByteArray>

// The program's constants stream (version 3), generated at build time from
// the built-in table.
QByteArray BuiltInLangConstsResource();

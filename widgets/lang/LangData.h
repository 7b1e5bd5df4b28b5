#pragma once

#include <QByteArray>
#include <memory>

#include "widgets/lang/LangEntries.h"

// The stored entry tree of a form (names, IDs and property paths; no texts):
// each entry is its name (u16 byte length, UTF-8), a has-properties byte,
// then count (i32) and per property ID (i32) and path (u16 length, UTF-8), a
// has-children byte, then count (i32) and the children. Little-endian.
QByteArray WriteLangData(const TLangCompEntry& root);
// Raises ELangError for data that is cut short, too long or malformed.
std::unique_ptr<TLangCompEntry> ReadLangData(const QByteArray& data);

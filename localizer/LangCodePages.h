#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Windows language identifiers (LANGID) as this program knows them: a QLocale
// name for the display name and the Windows 8-bit code page of the language.

// The code page the system uses for 8-bit text: UTF-8 here.
constexpr int kUtf8CodePage = 65001;
int SystemCodePage();

// The language's default 8-bit code page; the system's for an unknown ID.
int LanguageCodePage(quint16 langId);

// "English (United States)" and the like; the ID in decimal when unknown.
QString LanguageDisplayName(quint16 langId);

// Decodes 8-bit text in a Windows code page (iconv); bytes that are not valid
// in it become U+FFFD.
QString DecodeCodePage(const QByteArray& bytes, int codePage);

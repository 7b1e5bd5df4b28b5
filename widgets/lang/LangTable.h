#pragma once

#include <QString>

class TLanguageController;

// A form's entries as the text kept with the sources, one line each:
//   Form=frmRename            the form's name
//   Ignore=*.Font.*           a mask of IgnoreList (one line per mask)
//   Store=cbCodecGain.Items   a mask of StoreList
//   HighWater=10004           the highest ID ever given; never goes down
//   10002=Label1.Caption      an ID and its mask path (".Caption": the form)
// Lines beginning with ";" are comments. IDs are written in ascending order,
// so a new property shows as a new last line.
QString WriteLangTable(const TLanguageController& controller);
// Sets the masks, the high-water mark and the entry tree (not yet bound);
// raises ELangError for a line it does not understand.
void ReadLangTable(const QString& text, TLanguageController& controller);

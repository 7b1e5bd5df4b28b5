#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "core/settings/MainSettings.h"

// How a key of the main settings file is spelled and read.
enum class TSettingKind {
    Flag,          // "1" or "0"; read as an integer, non-zero meaning true
    Integer,       // signed 32-bit
    ConnectType,   // a connection type; a value that names none reads as the default type
    Low32,         // a 64-bit field kept in its low 32 bits, sign-extended when read
    Byte,          // an integer kept in 8 bits
    ViewStyle,     // an integer; one outside 0 to 3 leaves the list's own style
    Text,          // a string as it is
    TextList,      // <key><n> for n from 0 to RecentCount - 1; empty entries are skipped
    ColumnWidths,  // <key>Column<n>Width for every column the list has
    Placement,     // 44 bytes as hexadecimal digits; read by LoadWindowPlacement only
    Language,      // the active language of the language manager; read by LoadLangID only
};

enum class TSettingSection { Settings, OtherSettings };

// The field a key is read into and written from.
using TSettingMember =
    std::variant<std::monostate, bool TProgramOptions::*, std::int32_t TProgramOptions::*,
                 std::int64_t TProgramOptions::*, std::uint8_t TProgramOptions::*, QString TProgramOptions::*,
                 QStringList TProgramOptions::*, bool TMainWindowLayout::*, int TMainWindowLayout::*,
                 std::vector<int> TMainWindowLayout::*, WINDOWPLACEMENT TMainWindowLayout::*>;

struct TSettingKey {
    TSettingSection Section;
    const char* Key;
    TSettingMember Member;
    TSettingKind Kind;
    // The value of a missing or unreadable key; none: the value held when
    // reading.
    std::optional<std::int32_t> Default;
};

// Every key of the main settings file in the order of a save, which is the
// order a new file gets them in.
std::span<const TSettingKey> MainSettingsKeys();

QString SectionName(TSettingSection section);

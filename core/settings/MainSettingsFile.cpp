#include "core/settings/MainSettingsFile.h"

#include <QDir>
#include <QFile>
#include <stdexcept>
#include <type_traits>

#include "core/links/ConnectType.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/IniFile.h"
#include "core/settings/IniValues.h"
#include "core/settings/MainSettingsKeys.h"
#include "localizer/LangConst.h"
#include "localizer/LanguageManager.h"

namespace {

// The field of a row, in the options or in the layout. A kind that does not
// match the member's type is a fault of the table.
template <typename T> T& Field(TMainSettings& settings, const TSettingMember& member)
{
    T* field = std::visit(
        [&settings](auto pointer) -> T* {
            using P = decltype(pointer);
            if constexpr (std::is_same_v<P, T TProgramOptions::*>)
                return &(settings.Options.*pointer);
            else if constexpr (std::is_same_v<P, T TMainWindowLayout::*>)
                return &(settings.Layout.*pointer);
            else
                return nullptr;
        },
        member);
    if (!field)
        throw std::logic_error("a settings key whose kind does not fit its field");
    return *field;
}

template <typename T> const T& Field(const TMainSettings& settings, const TSettingMember& member)
{
    return Field<T>(const_cast<TMainSettings&>(settings), member);
}

QString ColumnKey(const TSettingKey& row, std::size_t column)
{
    return QLatin1String(row.Key) + QStringLiteral("Column") + QString::number(column) + QStringLiteral("Width");
}

QString ListKey(const TSettingKey& row, qsizetype index)
{
    return QLatin1String(row.Key) + QString::number(index);
}

const TSettingKey& RowOf(TSettingKind kind)
{
    for (const TSettingKey& row : MainSettingsKeys())
        if (row.Kind == kind)
            return row;
    throw std::logic_error("no such settings key");
}

void ReadKey(const TIniFile& ini, const TSettingKey& row, TMainSettings& settings)
{
    const QString section = SectionName(row.Section);
    const QString key = QLatin1String(row.Key);
    const auto integer = [&](std::int32_t present) {
        return ini.ReadInteger(section, key, row.Default.value_or(present));
    };
    switch (row.Kind) {
    case TSettingKind::Flag: {
        bool& flag = Field<bool>(settings, row.Member);
        flag = integer(flag ? 1 : 0) != 0;
        break;
    }
    case TSettingKind::Integer: {
        int& value = Field<int>(settings, row.Member);
        value = integer(value);
        break;
    }
    case TSettingKind::ConnectType: {
        // A damaged value must not reach the connection: the default type
        // stands in for it and is what the next save writes.
        std::int32_t& type = Field<std::int32_t>(settings, row.Member);
        const std::optional<QString> text = ini.Value(section, key);
        if (text) {
            const std::optional<std::int32_t> read = ParseIniInteger(*text);
            type = read.value_or(kDefaultConnectType);
        }
        if (!IsKnownConnectType(type))
            type = kDefaultConnectType;
        break;
    }
    case TSettingKind::Low32: {
        std::int64_t& value = Field<std::int64_t>(settings, row.Member);
        value = integer(static_cast<std::int32_t>(value));
        break;
    }
    case TSettingKind::Byte: {
        std::uint8_t& value = Field<std::uint8_t>(settings, row.Member);
        value = static_cast<std::uint8_t>(integer(value));
        break;
    }
    case TSettingKind::ViewStyle: {
        int& style = Field<int>(settings, row.Member);
        if (const int read = integer(style); read >= 0 && read <= 3)
            style = read;
        break;
    }
    case TSettingKind::Text: {
        QString& text = Field<QString>(settings, row.Member);
        text = ini.ReadString(section, key, text);
        break;
    }
    case TSettingKind::TextList: {
        QStringList& list = Field<QStringList>(settings, row.Member);
        list.clear();
        for (int n = 0; n < settings.Options.RecentCount; ++n) {
            const QString entry = ini.ReadString(section, ListKey(row, n), QString());
            if (!entry.isEmpty())
                list.append(entry);
        }
        break;
    }
    case TSettingKind::ColumnWidths: {
        std::vector<int>& widths = Field<std::vector<int>>(settings, row.Member);
        for (std::size_t column = 0; column < widths.size(); ++column)
            widths[column] = ini.ReadInteger(section, ColumnKey(row, column), widths[column]);
        break;
    }
    case TSettingKind::Placement:
    case TSettingKind::Language:
        break;  // read before everything else, on their own
    }
}

void WriteKey(TIniFile& ini, const TSettingKey& row, const TMainSettings& settings)
{
    const QString section = SectionName(row.Section);
    const QString key = QLatin1String(row.Key);
    switch (row.Kind) {
    case TSettingKind::Flag:
        ini.WriteBool(section, key, Field<bool>(settings, row.Member));
        break;
    case TSettingKind::Integer:
    case TSettingKind::ConnectType:
    case TSettingKind::ViewStyle:
        ini.WriteInteger(section, key, Field<int>(settings, row.Member));
        break;
    case TSettingKind::Low32:
        ini.WriteInteger(section, key, static_cast<std::int32_t>(Field<std::int64_t>(settings, row.Member)));
        break;
    case TSettingKind::Byte:
        ini.WriteInteger(section, key, Field<std::uint8_t>(settings, row.Member));
        break;
    case TSettingKind::Text:
        ini.WriteString(section, key, Field<QString>(settings, row.Member));
        break;
    case TSettingKind::TextList: {
        const QStringList& list = Field<QStringList>(settings, row.Member);
        for (qsizetype n = 0; n < list.size(); ++n)
            ini.WriteString(section, ListKey(row, n), list[n]);
        // Entries of an earlier, longer list that RecentCount still reaches
        // would come back at the next start, as duplicates after a gap: empty
        // them.
        for (qsizetype n = list.size(); n < settings.Options.RecentCount; ++n)
            if (!ini.ReadString(section, ListKey(row, n), QString()).isEmpty())
                ini.WriteString(section, ListKey(row, n), QString());
        break;
    }
    case TSettingKind::ColumnWidths: {
        const std::vector<int>& widths = Field<std::vector<int>>(settings, row.Member);
        for (std::size_t column = 0; column < widths.size(); ++column)
            ini.WriteInteger(section, ColumnKey(row, column), widths[column]);
        break;
    }
    case TSettingKind::Placement: {
        WINDOWPLACEMENT placement = Field<WINDOWPLACEMENT>(settings, row.Member);
        placement.length = WINDOWPLACEMENT::kSize;
        ini.WriteBinary(section, key, PlacementToBytes(placement));
        break;
    }
    case TSettingKind::Language:
        ini.WriteInteger(section, key, LangManager().GetActiveLangID());
        break;
    }
}

}  // namespace

QString SettingsFileName()
{
    return BuiltInLangConst(QStringLiteral("RecFilePrefixStr")) + QStringLiteral(".set");
}

QString SettingsFilePath()
{
    return GetDocumentsFolder() + SettingsFileName();
}

void CreateSettingsFileFromDefault()
{
    const QString target = SettingsFilePath();
    if (QFile::exists(target))
        return;
    QFile::copy(QDir::current().filePath(SettingsFileName()), target);
}

void CheckSettingsFileReadable()
{
    const TIniFile ini(SettingsFilePath());
    if (ini.ReadError())
        throw EIniFileError(*ini.ReadError());
}

TConnectMenuItem ConnectMenuItemFor(int connectType)
{
    if (connectType < 0 || connectType > static_cast<int>(TConnectMenuItem::miQ71_ADPT))
        return TConnectMenuItem::miDemo;
    return static_cast<TConnectMenuItem>(connectType);
}

std::uint16_t LoadLangID(std::uint16_t current)
{
    const TIniFile ini(SettingsFilePath());
    const TSettingKey& row = RowOf(TSettingKind::Language);
    return static_cast<std::uint16_t>(ini.ReadInteger(SectionName(row.Section), QLatin1String(row.Key), current));
}

WINDOWPLACEMENT LoadWindowPlacement(const WINDOWPLACEMENT& present)
{
    const TIniFile ini(SettingsFilePath());
    const TSettingKey& row = RowOf(TSettingKind::Placement);
    if (const auto bytes = ini.ReadBinary(SectionName(row.Section), QLatin1String(row.Key)))
        if (const auto placement = PlacementFromBytes(*bytes))
            return *placement;
    WINDOWPLACEMENT placement = present;
    placement.length = WINDOWPLACEMENT::kSize;
    return placement;
}

TMainSettings LoadSettings(const TMainSettings& present)
{
    const TIniFile ini(SettingsFilePath());
    TMainSettings settings = present;
    for (const TSettingKey& row : MainSettingsKeys())
        ReadKey(ini, row, settings);
    return settings;
}

void SaveSettings(const TMainSettings& settings)
{
    TIniFile ini(SettingsFilePath());
    for (const TSettingKey& row : MainSettingsKeys())
        WriteKey(ini, row, settings);
    ini.Save();
}

#include "core/settings/MainSettingsFile.h"

#include <QDir>
#include <QFile>

#include "core/settings/DocumentsFolder.h"
#include "core/settings/IniFile.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LangConst.h"

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kOtherSettings = QStringLiteral("OtherSettings");

constexpr std::uint8_t kDefaultRecentCount = 3;

QString ColumnKey(TSettingsListView list, int column)
{
    const char* prefix = "lvShellContent";
    switch (list) {
    case TSettingsListView::RecContent:
        prefix = "lvRecContent";
        break;
    case TSettingsListView::DrvContent:
        prefix = "lvDrvContent";
        break;
    case TSettingsListView::ShellContent:
        break;
    }
    return QLatin1String(prefix) + QStringLiteral("Column") + QString::number(column) + QStringLiteral("Width");
}

constexpr TSettingsListView kColumnLists[] = {TSettingsListView::RecContent, TSettingsListView::DrvContent,
                                              TSettingsListView::ShellContent};

QString RecentFileKey(qsizetype index)
{
    return QStringLiteral("RecentFile") + QString::number(index);
}

// A flag of Settings; the default is the flag's present value.
void ReadFlag(const TIniFile& ini, const QString& key, bool& flag)
{
    flag = ini.ReadBool(kSettings, key, flag);
}

void ReadString(const TIniFile& ini, const QString& key, QString& value)
{
    value = ini.ReadString(kOtherSettings, key, value);
}

void ReadColumnWidths(const TIniFile& ini, TMainWindowSettingsHost& window)
{
    for (const TSettingsListView list : kColumnLists)
        for (int column = 0; column < window.ColumnCount(list); ++column)
            window.SetColumnWidth(
                list, column,
                ini.ReadInteger(kOtherSettings, ColumnKey(list, column), window.ColumnWidth(list, column)));
}

void WriteColumnWidths(TIniFile& ini, const TMainWindowSettingsHost& window)
{
    for (const TSettingsListView list : kColumnLists)
        for (int column = 0; column < window.ColumnCount(list); ++column)
            ini.WriteInteger(kOtherSettings, ColumnKey(list, column), window.ColumnWidth(list, column));
}

} // namespace

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

TConnectMenuItem ConnectMenuItemFor(int connectType)
{
    if (connectType < 0 || connectType > static_cast<int>(TConnectMenuItem::miQ71_ADPT))
        return TConnectMenuItem::miDemo;
    return static_cast<TConnectMenuItem>(connectType);
}

void LoadLangID()
{
    const TIniFile ini(SettingsFilePath());
    LangID = static_cast<std::uint16_t>(ini.ReadInteger(kSettings, QStringLiteral("LangID"), LangID));
}

WINDOWPLACEMENT LoadWindowPlacement(const TMainWindowSettingsHost& window)
{
    const TIniFile ini(SettingsFilePath());
    if (const auto bytes = ini.ReadBinary(kOtherSettings, QStringLiteral("Placement")))
        if (const auto placement = PlacementFromBytes(*bytes))
            return *placement;
    WINDOWPLACEMENT present = window.CurrentPlacement();
    present.length = WINDOWPLACEMENT::kSize;
    return present;
}

void LoadSettings(TMainWindowSettingsHost& window)
{
    const TIniFile ini(SettingsFilePath());
    TProgramOptions& o = ProgramOptions;

    // A missing ExpWindow means "shown".
    window.SetExplorerShown(true);

    o.ConnectType = ini.ReadInteger(kSettings, QStringLiteral("ConnectType"), o.ConnectType);
    window.CheckConnectMenuItem(ConnectMenuItemFor(o.ConnectType));

    ReadString(ini, QStringLiteral("DefFolder"), o.DefFolder);
    ReadString(ini, QStringLiteral("FileNameMask"), o.FileNameMask);

    window.SetExplorerWidth(ini.ReadInteger(kSettings, QStringLiteral("ExpWidth"), window.ExplorerWidth()));
    window.SetExplorerShown(ini.ReadBool(kSettings, QStringLiteral("ExpWindow"), window.ExplorerShown()));
    window.SetFoldersWidth(ini.ReadInteger(kSettings, QStringLiteral("FoldersWidth"), window.FoldersWidth()));
    window.SetFolderTreeShown(ini.ReadBool(kSettings, QStringLiteral("FolderTree"), window.FolderTreeShown()));
    // A style outside 0 to 3 means nothing: the list keeps its own.
    const int viewStyle = ini.ReadInteger(kSettings, QStringLiteral("ViewStyle"), window.ViewStyle());
    if (viewStyle >= 0 && viewStyle <= 3)
        window.SetViewStyle(viewStyle);

    ReadFlag(ini, QStringLiteral("SyncTime"), o.SyncTime);
    ReadFlag(ini, QStringLiteral("AutoDownload"), o.AutoDownload);
    ReadFlag(ini, QStringLiteral("AutoDelete"), o.AutoDelete);
    ReadFlag(ini, QStringLiteral("NonDownOnly"), o.NonDownOnly);
    ReadFlag(ini, QStringLiteral("Split"), o.Split);

    // Stored in 32 bits, sign-extended into the field.
    o.MaxOutputSize =
        ini.ReadInteger(kSettings, QStringLiteral("MaxOutputSize"), static_cast<std::int32_t>(o.MaxOutputSize));

    ReadFlag(ini, QStringLiteral("SkipSilence"), o.SkipSilence);
    ReadFlag(ini, QStringLiteral("ShowVoiceParts"), o.ShowVoiceParts);
    ReadFlag(ini, QStringLiteral("HideEditor"), o.HideEditor);
    ReadFlag(ini, QStringLiteral("DisableEditor"), o.DisableEditor);
    ReadFlag(ini, QStringLiteral("HideFlashDrive"), o.HideFlashDrive);
    ReadFlag(ini, QStringLiteral("DisableFlashDrive"), o.DisableFlashDrive);
    ReadFlag(ini, QStringLiteral("SimpleQualitySetup"), o.SimpleQualitySetup);
    ReadFlag(ini, QStringLiteral("SimpleVasSetup"), o.SimpleVasSetup);
    ReadFlag(ini, QStringLiteral("HideMaskEdit"), o.HideMaskEdit);
    ReadFlag(ini, QStringLiteral("HideSplitting"), o.HideSplitting);
    ReadFlag(ini, QStringLiteral("NonSavedEraseDisable"), o.NonSavedEraseDisable);

    o.RecentCount =
        static_cast<std::uint8_t>(ini.ReadInteger(kSettings, QStringLiteral("RecentCount"), kDefaultRecentCount));

    ReadString(ini, QStringLiteral("ImageFileName"), o.ImageFileName);

    ReadFlag(ini, QStringLiteral("HideExpert"), o.HideExpert);
    ReadFlag(ini, QStringLiteral("HideAdvExpert"), o.HideAdvExpert);
    ReadFlag(ini, QStringLiteral("AonOnly"), o.AonOnly);
    ReadFlag(ini, QStringLiteral("DialectFormat"), o.DialectFormat);

    o.RecentFiles.clear();
    for (int n = 0; n < o.RecentCount; ++n) {
        const QString file = ini.ReadString(kOtherSettings, RecentFileKey(n), QString());
        if (!file.isEmpty())
            o.RecentFiles.append(file);
    }
    window.RebuildRecentFilesMenu();

    ReadColumnWidths(ini, window);
}

void SaveSettings(const TMainWindowSettingsHost& window)
{
    TIniFile ini(SettingsFilePath());
    const TProgramOptions& o = ProgramOptions;

    WINDOWPLACEMENT placement = window.CurrentPlacement();
    placement.length = WINDOWPLACEMENT::kSize;
    ini.WriteBinary(kOtherSettings, QStringLiteral("Placement"), PlacementToBytes(placement));

    ini.WriteString(kOtherSettings, QStringLiteral("DefFolder"), o.DefFolder);
    ini.WriteString(kOtherSettings, QStringLiteral("FileNameMask"), o.FileNameMask);

    ini.WriteInteger(kSettings, QStringLiteral("ExpWidth"), window.ExplorerWidth());
    ini.WriteBool(kSettings, QStringLiteral("ExpWindow"), window.ExplorerShown());
    ini.WriteInteger(kSettings, QStringLiteral("FoldersWidth"), window.FoldersWidth());
    ini.WriteBool(kSettings, QStringLiteral("FolderTree"), window.FolderTreeShown());

    ini.WriteBool(kSettings, QStringLiteral("SyncTime"), o.SyncTime);
    ini.WriteBool(kSettings, QStringLiteral("AutoDownload"), o.AutoDownload);
    ini.WriteBool(kSettings, QStringLiteral("NonDownOnly"), o.NonDownOnly);
    ini.WriteBool(kSettings, QStringLiteral("AutoDelete"), o.AutoDelete);

    ini.WriteInteger(kSettings, QStringLiteral("ViewStyle"), window.ViewStyle());

    ini.WriteBool(kSettings, QStringLiteral("Split"), o.Split);
    ini.WriteInteger(kSettings, QStringLiteral("MaxOutputSize"), static_cast<std::int32_t>(o.MaxOutputSize));

    ini.WriteBool(kSettings, QStringLiteral("SkipSilence"), o.SkipSilence);
    ini.WriteInteger(kSettings, QStringLiteral("LangID"), LangID);
    ini.WriteInteger(kSettings, QStringLiteral("ConnectType"), o.ConnectType);

    ini.WriteBool(kSettings, QStringLiteral("ShowVoiceParts"), o.ShowVoiceParts);
    ini.WriteBool(kSettings, QStringLiteral("HideEditor"), o.HideEditor);
    ini.WriteBool(kSettings, QStringLiteral("DisableEditor"), o.DisableEditor);
    ini.WriteBool(kSettings, QStringLiteral("HideFlashDrive"), o.HideFlashDrive);
    ini.WriteBool(kSettings, QStringLiteral("DisableFlashDrive"), o.DisableFlashDrive);
    ini.WriteBool(kSettings, QStringLiteral("SimpleQualitySetup"), o.SimpleQualitySetup);
    ini.WriteBool(kSettings, QStringLiteral("SimpleVasSetup"), o.SimpleVasSetup);
    ini.WriteBool(kSettings, QStringLiteral("HideMaskEdit"), o.HideMaskEdit);
    ini.WriteBool(kSettings, QStringLiteral("HideSplitting"), o.HideSplitting);
    ini.WriteBool(kSettings, QStringLiteral("NonSavedEraseDisable"), o.NonSavedEraseDisable);
    ini.WriteBool(kSettings, QStringLiteral("HideExpert"), o.HideExpert);
    ini.WriteBool(kSettings, QStringLiteral("HideAdvExpert"), o.HideAdvExpert);
    ini.WriteBool(kSettings, QStringLiteral("AonOnly"), o.AonOnly);
    ini.WriteBool(kSettings, QStringLiteral("DialectFormat"), o.DialectFormat);

    ini.WriteString(kOtherSettings, QStringLiteral("ImageFileName"), o.ImageFileName);
    ini.WriteInteger(kSettings, QStringLiteral("RecentCount"), o.RecentCount);

    for (qsizetype n = 0; n < o.RecentFiles.size(); ++n)
        ini.WriteString(kOtherSettings, RecentFileKey(n), o.RecentFiles[n]);
    // Entries of an earlier, longer list that RecentCount still reaches would
    // come back at the next start, as duplicates after a gap: empty them.
    for (qsizetype n = o.RecentFiles.size(); n < o.RecentCount; ++n)
        if (!ini.ReadString(kOtherSettings, RecentFileKey(n), QString()).isEmpty())
            ini.WriteString(kOtherSettings, RecentFileKey(n), QString());

    WriteColumnWidths(ini, window);

    ini.Save();
}

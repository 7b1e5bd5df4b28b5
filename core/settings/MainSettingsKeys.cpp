#include "core/settings/MainSettingsKeys.h"

#include <iterator>

namespace {

using enum TSettingKind;
using enum TSettingSection;
using O = TProgramOptions;
using L = TMainWindowLayout;

const TSettingKey kKeys[] = {
    {OtherSettings, "Placement", &L::Placement, Placement, {}},
    {OtherSettings, "DefFolder", &O::DefFolder, Text, {}},
    {OtherSettings, "FileNameMask", &O::FileNameMask, Text, {}},
    {Settings, "ExpWidth", &L::ExplorerWidth, Integer, {}},
    {Settings, "ExpWindow", &L::ExplorerShown, Flag, 1},  // a missing ExpWindow means "shown"
    {Settings, "FoldersWidth", &L::FoldersWidth, Integer, {}},
    {Settings, "FolderTree", &L::FolderTreeShown, Flag, {}},
    {Settings, "SyncTime", &O::SyncTime, Flag, {}},
    {Settings, "AutoDownload", &O::AutoDownload, Flag, {}},
    {Settings, "NonDownOnly", &O::NonDownOnly, Flag, {}},
    {Settings, "AutoDelete", &O::AutoDelete, Flag, {}},
    {Settings, "ViewStyle", &L::ViewStyle, ViewStyle, {}},
    {Settings, "Split", &O::Split, Flag, {}},
    {Settings, "MaxOutputSize", &O::MaxOutputSize, Low32, {}},
    {Settings, "SkipSilence", &O::SkipSilence, Flag, {}},
    {Settings, "LangID", std::monostate(), Language, {}},
    {Settings, "ConnectType", &O::ConnectType, ConnectType, {}},
    {Settings, "ShowVoiceParts", &O::ShowVoiceParts, Flag, {}},
    {Settings, "HideEditor", &O::HideEditor, Flag, {}},
    {Settings, "DisableEditor", &O::DisableEditor, Flag, {}},
    {Settings, "HideFlashDrive", &O::HideFlashDrive, Flag, {}},
    {Settings, "DisableFlashDrive", &O::DisableFlashDrive, Flag, {}},
    {Settings, "SimpleQualitySetup", &O::SimpleQualitySetup, Flag, {}},
    {Settings, "SimpleVasSetup", &O::SimpleVasSetup, Flag, {}},
    {Settings, "HideMaskEdit", &O::HideMaskEdit, Flag, {}},
    {Settings, "HideSplitting", &O::HideSplitting, Flag, {}},
    {Settings, "NonSavedEraseDisable", &O::NonSavedEraseDisable, Flag, {}},
    {Settings, "HideExpert", &O::HideExpert, Flag, {}},
    {Settings, "HideAdvExpert", &O::HideAdvExpert, Flag, {}},
    {Settings, "AonOnly", &O::AonOnly, Flag, {}},
    {Settings, "DialectFormat", &O::DialectFormat, Flag, {}},
    {OtherSettings, "ImageFileName", &O::ImageFileName, Text, {}},
    {Settings, "RecentCount", &O::RecentCount, Byte, 3},
    // After RecentCount: a load reads as many entries as it says.
    {OtherSettings, "RecentFile", &O::RecentFiles, TextList, {}},
    {OtherSettings, "lvRecContent", &L::RecContentColumns, ColumnWidths, {}},
    {OtherSettings, "lvDrvContent", &L::DrvContentColumns, ColumnWidths, {}},
    {OtherSettings, "lvShellContent", &L::ShellContentColumns, ColumnWidths, {}},
};

}  // namespace

std::span<const TSettingKey> MainSettingsKeys()
{
    return kKeys;
}

QString SectionName(TSettingSection section)
{
    return section == TSettingSection::Settings ? QStringLiteral("Settings") : QStringLiteral("OtherSettings");
}

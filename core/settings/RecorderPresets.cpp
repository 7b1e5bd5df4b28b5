#include "core/settings/RecorderPresets.h"

#include <QFileInfo>
#include <algorithm>
#include <array>

#include "core/settings/IniFile.h"
#include "core/settings/IniValues.h"
#include "core/settings/ProfileValueConversions.h"
#include "core/settings/ProgramFolder.h"
#include "localizer/LangConst.h"

namespace {

QString WithoutExtension(const QString& path)
{
    const qsizetype lastSeparator = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot > lastSeparator ? path.left(dot) : path;
}

QString DisplayName(const TIniFile& ini, const QString& section, std::uint16_t langId)
{
    return ini.ReadString(section, QString::number(langId), section);
}

std::uint8_t Low8(std::int32_t value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::uint16_t Low16(std::int32_t value)
{
    return static_cast<std::uint16_t>(value & 0xFFFF);
}

std::uint16_t QuarterSeconds(const TIniFile& ini, const QString& section, const char* key)
{
    const auto text = ini.Value(section, QLatin1String(key));
    const auto seconds = text ? ParseIniFloatEitherSeparator(*text) : std::nullopt;
    return SecondsToQuarterSeconds(seconds.value_or(0.0));
}

std::uint8_t Gain(const TIniFile& ini, const QString& section, const char* key)
{
    return FileGainFromDb(ini.ReadInteger(section, QLatin1String(key), 0));
}

}  // namespace

QString PresetBasePath()
{
    return GetProgramFolder() + LangConst(QStringLiteral("RecFilePrefixStr"));
}

QString QualityPresetFileName(const QString& basePath)
{
    return WithoutExtension(basePath) + QStringLiteral("_req.ini");
}

QString VasPresetFileName(const QString& basePath)
{
    return WithoutExtension(basePath) + QStringLiteral("_vas.ini");
}

void LoadQualityPresets(TQualityPresetList& list, const QString& fileName, std::uint16_t langId)
{
    list.Clear();
    if (!QFileInfo(fileName).isFile())
        return;
    const TIniFile ini(fileName);
    for (const QString& section : ini.SectionNames()) {
        auto preset = std::make_unique<TQualityPreset>();
        preset->Name = DisplayName(ini, section, langId);
        preset->Compress = Low8(ini.ReadInteger(section, QStringLiteral("Compress"), 0));
        preset->CompressParam = Low8(ini.ReadInteger(section, QStringLiteral("CompressParam"), 0));
        preset->BitRate = Low16(ini.ReadInteger(section, QStringLiteral("BitRate"), 4000));
        list.Add(std::move(preset));
    }
}

void LoadVasPresets(TVasPresetList& list, const QString& fileName, std::uint16_t langId)
{
    list.Clear();
    if (!QFileInfo(fileName).isFile())
        return;
    const TIniFile ini(fileName);
    for (const QString& section : ini.SectionNames()) {
        auto preset = std::make_unique<TVasPreset>();
        preset->Name = DisplayName(ini, section, langId);
        TVasParams& vas = preset->Params;
        vas.T1 = QuarterSeconds(ini, section, "T1");
        vas.T2 = QuarterSeconds(ini, section, "T2");
        vas.T3 = QuarterSeconds(ini, section, "T3");
        vas.T4 = Low8(ini.ReadInteger(section, QStringLiteral("T4"), 1));
        vas.T5 = QuarterSeconds(ini, section, "T5");
        vas.X1 = Gain(ini, section, "X1");
        vas.X2 = Gain(ini, section, "X2");
        vas.X3 = Gain(ini, section, "X3");
        list.Add(std::move(preset));
    }
}

int FindQualityPreset(const TQualityPresetList& list, const TRecordProfile& profile)
{
    for (int i = 0; i < list.Count(); ++i) {
        const TQualityPreset& preset = *list.Item(i);
        if (preset.BitRate == profile.SampleRate && preset.Compress == profile.Compress &&
            preset.CompressParam == profile.CompressParam)
            return i;
    }
    return -1;
}

int FindVasPreset(const TVasPresetList& list, const TVasParams& params)
{
    std::array<std::uint8_t, TVasParams::kSize> wanted{};
    params.Serialize(wanted.data());
    for (int i = 0; i < list.Count(); ++i) {
        std::array<std::uint8_t, TVasParams::kSize> bytes{};
        list.Item(i)->Params.Serialize(bytes.data());
        if (bytes == wanted)
            return i;
    }
    return -1;
}

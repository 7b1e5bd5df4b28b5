#include "core/settings/ProfileFile.h"

#include <optional>

#include "core/recorder/MessageBoxCodes.h"
#include "core/recorder/Recorder.h"
#include "core/recorder/RecorderHost.h"
#include "core/settings/IniFile.h"
#include "core/settings/IniValues.h"
#include "core/settings/ProfileValueConversions.h"
#include "localizer/LangConst.h"

namespace {

const QString kModelSection = QStringLiteral("Recorder model");
const QString kModelKey = QStringLiteral("Model");
const QString kVasSection = QStringLiteral("VAS");
const QString kSettingsSection = QStringLiteral("Settings");
const QString kAonSection = QStringLiteral("AON");

QString ProfileSection(std::size_t index)
{
    return QStringLiteral("Profile %1").arg(index);
}

// Two uppercase hexadecimal digits of the pair's code: "7C", "A1".
QString AonKey(std::uint8_t code)
{
    return QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper();
}

std::uint16_t ReadQuarterSeconds(const TIniFile& ini, const QString& key, std::uint16_t current)
{
    const auto text = ini.Value(kVasSection, key);
    const auto seconds = text ? ParseIniFloatEitherSeparator(*text) : std::nullopt;
    return SecondsToQuarterSeconds(seconds.value_or(current * 0.25));
}

// A missing or unreadable key keeps the exact gain: a trip through whole
// decibels would move it (100 to 90).
std::uint8_t ReadGain(const TIniFile& ini, const QString& key, std::uint8_t current)
{
    const auto text = ini.Value(kVasSection, key);
    const auto decibels = text ? ParseIniInteger(*text) : std::nullopt;
    return decibels ? FileGainFromDb(*decibels) : current;
}

// Integers keep their low bits; the default is the field's current value.
std::uint8_t ReadByte(const TIniFile& ini, const QString& section, const QString& key, std::uint8_t current)
{
    return static_cast<std::uint8_t>(ini.ReadInteger(section, key, current));
}

std::uint8_t ReadSwitch(const TIniFile& ini, const QString& section, const QString& key, std::uint8_t current)
{
    return ini.ReadBool(section, key, current != 0) ? 1 : 0;
}

void WriteProfile(TIniFile& ini, const QString& section, const TRecordProfile& profile)
{
    ini.WriteInteger(section, QStringLiteral("Sample Rate"), profile.SampleRate);
    ini.WriteInteger(section, QStringLiteral("Compress"), profile.Compress);
    ini.WriteInteger(section, QStringLiteral("CompressParam"), profile.CompressParam);
    ini.WriteBool(section, QStringLiteral("CyclicRecord"), profile.CyclicRecord != 0);
    ini.WriteInteger(section, QStringLiteral("CycleBufSize"), profile.CycleBufSize);
    ini.WriteBool(section, QStringLiteral("VAS"), profile.Vas != 0);
}

void ReadProfile(const TIniFile& ini, const QString& section, TRecordProfile& profile)
{
    profile.SampleRate =
        static_cast<std::uint16_t>(ini.ReadInteger(section, QStringLiteral("Sample Rate"), profile.SampleRate));
    profile.Compress = ReadByte(ini, section, QStringLiteral("Compress"), profile.Compress);
    profile.CompressParam = ReadByte(ini, section, QStringLiteral("CompressParam"), profile.CompressParam);
    profile.CyclicRecord = ReadSwitch(ini, section, QStringLiteral("CyclicRecord"), profile.CyclicRecord);
    profile.CycleBufSize = ReadByte(ini, section, QStringLiteral("CycleBufSize"), profile.CycleBufSize);
    profile.Vas = ReadSwitch(ini, section, QStringLiteral("VAS"), profile.Vas);
}

void WriteVas(TIniFile& ini, const TVasParams& vas)
{
    ini.WriteFloat(kVasSection, QStringLiteral("T1"), vas.T1 * 0.25);
    ini.WriteFloat(kVasSection, QStringLiteral("T2"), vas.T2 * 0.25);
    ini.WriteFloat(kVasSection, QStringLiteral("T3"), vas.T3 * 0.25);
    ini.WriteFloat(kVasSection, QStringLiteral("T5"), vas.T5 * 0.25);
    ini.WriteInteger(kVasSection, QStringLiteral("T4"), vas.T4);
    ini.WriteInteger(kVasSection, QStringLiteral("X1"), GainToDb(kGainReference, vas.X1));
    ini.WriteInteger(kVasSection, QStringLiteral("X2"), GainToDb(kGainReference, vas.X2));
    ini.WriteInteger(kVasSection, QStringLiteral("X3"), GainToDb(kGainReference, vas.X3));
}

void ReadVas(const TIniFile& ini, TVasParams& vas)
{
    vas.T1 = ReadQuarterSeconds(ini, QStringLiteral("T1"), vas.T1);
    vas.T2 = ReadQuarterSeconds(ini, QStringLiteral("T2"), vas.T2);
    vas.T3 = ReadQuarterSeconds(ini, QStringLiteral("T3"), vas.T3);
    vas.T5 = ReadQuarterSeconds(ini, QStringLiteral("T5"), vas.T5);
    vas.T4 = ReadByte(ini, kVasSection, QStringLiteral("T4"), vas.T4);
    vas.X1 = ReadGain(ini, QStringLiteral("X1"), vas.X1);
    vas.X2 = ReadGain(ini, QStringLiteral("X2"), vas.X2);
    vas.X3 = ReadGain(ini, QStringLiteral("X3"), vas.X3);
}

void WriteSwitches(TIniFile& ini, const TRecorderSettings& settings)
{
    ini.WriteBool(kSettingsSection, QStringLiteral("PressType"), settings.PressType != 0);
    ini.WriteInteger(kSettingsSection, QStringLiteral("SearchStep"), settings.SearchStep);
    ini.WriteInteger(kSettingsSection, QStringLiteral("CodecGain"), settings.CodecGain);
    ini.WriteBool(kSettingsSection, QStringLiteral("ExtDevice"), settings.ExtDevice != 0);
}

void ReadSwitches(const TIniFile& ini, TRecorderSettings& settings)
{
    settings.PressType = ReadSwitch(ini, kSettingsSection, QStringLiteral("PressType"), settings.PressType);
    settings.SearchStep = ReadByte(ini, kSettingsSection, QStringLiteral("SearchStep"), settings.SearchStep);
    settings.CodecGain = ReadByte(ini, kSettingsSection, QStringLiteral("CodecGain"), settings.CodecGain);
    settings.ExtDevice = ReadSwitch(ini, kSettingsSection, QStringLiteral("ExtDevice"), settings.ExtDevice);
}

}  // namespace

bool SaveProfileFile(const QString& model, const QString& fileName, const TRecorderSettings& source)
{
    // Built from nothing and saved in one step: the old file stays whole
    // until the new one is complete.
    TIniFile ini = TIniFile::Empty(fileName);
    ini.WriteString(kModelSection, kModelKey, model);
    for (std::size_t i = 0; i < source.Profiles.size(); ++i)
        WriteProfile(ini, ProfileSection(i), source.Profiles[i]);
    WriteVas(ini, source.Vas);
    WriteSwitches(ini, source);
    for (const TAonPair& pair : source.Aon)
        ini.WriteInteger(kAonSection, AonKey(pair.Code), pair.Value);
    ini.Save();
    return true;
}

bool LoadProfileFile(const QString& model, const QString& fileName, TRecorderSettings& target)
{
    const TIniFile ini(fileName);
    // Exact and case-sensitive; a file without the key is never ours.
    const auto fileModel = ini.Value(kModelSection, kModelKey);
    if (!fileModel || *fileModel != model) {
        RecorderHost().AppMessageBox(LangConst(QStringLiteral("InvalidProfileFmtStr")), MB_OK,
                                     LangConst(QStringLiteral("AppNameStr")));
        return false;
    }
    for (std::size_t i = 0; i < target.Profiles.size(); ++i)
        ReadProfile(ini, ProfileSection(i), target.Profiles[i]);
    ReadVas(ini, target.Vas);
    ReadSwitches(ini, target);
    // Only the codes the record holds are looked up; no code changes.
    for (TAonPair& pair : target.Aon)
        pair.Value = ReadByte(ini, kAonSection, AonKey(pair.Code), pair.Value);
    return true;
}

bool SaveProfileFile(const TRecorder& recorder, const QString& fileName, const TRecorderSettings& source)
{
    return SaveProfileFile(recorder.ModelText(), fileName, source);
}

bool LoadProfileFile(const TRecorder& recorder, const QString& fileName, TRecorderSettings& target)
{
    return LoadProfileFile(recorder.ModelText(), fileName, target);
}

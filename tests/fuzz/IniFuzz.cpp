// INI text from the input (after a first byte that picks the legacy code
// page): decoded, read key by key with every value parser, and read as the
// main settings file, both preset files and a profile file.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

#include "core/recorder/ProcessState.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/IniFile.h"
#include "core/settings/IniText.h"
#include "core/settings/IniValues.h"
#include "core/settings/MainSettingsFile.h"
#include "core/settings/ProfileFile.h"
#include "core/settings/RecorderPresets.h"
#include "core/settings/WindowPlacement.h"
#include "tests/fuzz/FuzzFiles.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

// The model text the profile file must carry to be read past its check.
const QString kProfileModel = QStringLiteral("Sorv Dare Q3");

constexpr std::array<int, 6> kCodePages{1251, 1252, 1250, 932, 936, 1253};
// Keys and sections read through every reader: each read scans the lines,
// so reading them all would make long inputs slow without reaching more.
constexpr qsizetype kKeysRead = 8;
constexpr qsizetype kSectionsRead = 4;

// The values of the first keys the lines name, through each reader and
// parser.
void ReadEveryKey(const TIniFile& ini, const TIniText& text)
{
    const QStringList sections = ini.SectionNames().mid(0, kSectionsRead);
    qsizetype keys = 0;
    for (const QString& line : text.Lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        if (++keys > kKeysRead)
            break;
        const QString key = line.left(equals).trimmed();
        const QStringView value = QStringView(line).mid(equals + 1).trimmed();
        ParseIniInteger(value);
        ParseIniFloat(value);
        if (const auto bytes = ParseIniBinary(value))
            PlacementFromBytes(*bytes);
        for (const QString& section : sections) {
            ini.Value(section, key);
            ini.ReadInteger(section, key, 0);
            ini.ReadBool(section, key, false);
            ini.ReadFloat(section, key, 0);
            if (const auto bytes = ini.ReadBinary(section, key))
                PlacementFromBytes(*bytes);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetProcessState();
    FuzzInput input(data, size);
    const int codePage = kCodePages[input.U8() % kCodePages.size()];
    const auto rest = input.Rest();
    const QByteArray bytes(reinterpret_cast<const char*>(rest.data()), static_cast<qsizetype>(rest.size()));

    const TIniText text = DecodeIniText(bytes, codePage);
    SetDocumentsFolderOverride(FuzzFolder());
    const QString path = WriteFuzzFile(SettingsFileName(), rest.data(), rest.size());
    ReadEveryKey(TIniFile(path, codePage), text);

    LoadLangID(1033);
    LoadWindowPlacement(WINDOWPLACEMENT{});
    LoadSettings(TMainSettings{});

    TQualityPresetList quality;
    LoadQualityPresets(quality, path, 1033);
    TVasPresetList vas;
    LoadVasPresets(vas, path, 1049);

    TRecorderSettings settings;
    LoadProfileFile(kProfileModel, path, settings);
    ResetProcessState();
    return 0;
}

// INI text from the input (after a first byte that picks the legacy code
// page and one of the files it is read as): decoded, read key by key with
// every value parser, and read as the main settings file, a preset file or
// a profile file. One file reader per input: each reads the file anew, and
// all of them every time made the target five times slower.
#include <QString>
#include <array>
#include <cstdint>
#include <iconv.h>
#include <string>

#include "core/settings/DocumentsFolder.h"
#include "core/settings/IniFile.h"
#include "core/settings/IniValues.h"
#include "core/settings/MainSettingsFile.h"
#include "core/settings/ProfileFile.h"
#include "core/settings/RecorderPresets.h"
#include "core/settings/WindowPlacement.h"
#include "tests/fuzz/FuzzFiles.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzReset.h"

namespace {

// The model text the profile file must carry to be read past its check.
const QString kProfileModel = QStringLiteral("Sorv Dare Q3");

constexpr std::array<int, 6> kCodePages{1251, 1252, 1250, 932, 936, 1253};
// Keys and sections read through every reader: each read scans the lines,
// so reading more would make long inputs slow without reaching more (a key
// found, one not found, the value parsers on each key's text).
constexpr qsizetype kKeysRead = 4;
constexpr qsizetype kSectionsRead = 2;

// The values of the first keys the lines name, through each reader and
// parser.
void ReadEveryKey(const TIniFile& ini)
{
    const QStringList sections = ini.SectionNames().mid(0, kSectionsRead);
    qsizetype keys = 0;
    for (const QString& line : ini.Lines()) {
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

// iconv loads a code page's converter module at each open and may drop it
// at the last close, which cost more than the decoding: one converter per
// code page stays open for the whole run.
void KeepConvertersLoaded()
{
    static const std::array<iconv_t, kCodePages.size()> kept = [] {
        std::array<iconv_t, kCodePages.size()> handles{};
        for (std::size_t i = 0; i < kCodePages.size(); ++i)
            handles[i] = iconv_open("UTF-16LE", ("CP" + std::to_string(kCodePages[i])).c_str());
        return handles;
    }();
    (void)kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    KeepConvertersLoaded();
    ResetKeepingLanguages();
    FuzzInput input(data, size);
    const std::uint8_t first = input.U8();
    const int codePage = kCodePages[first % kCodePages.size()];
    const int reader = first / kCodePages.size() % 5;
    const auto rest = input.Rest();

    // The file's lines are what DecodeIniText makes of its bytes.
    SetDocumentsFolderOverride(FuzzFolder());
    const QString path = WriteFuzzFile(SettingsFileName(), rest.data(), rest.size());
    ReadEveryKey(TIniFile(path, codePage));

    switch (reader) {
    case 0:
        LoadLangID(1033);
        LoadWindowPlacement(WINDOWPLACEMENT{});
        break;
    case 1:
        LoadSettings(TMainSettings{});
        break;
    case 2: {
        TQualityPresetList quality;
        LoadQualityPresets(quality, path, 1033);
        break;
    }
    case 3: {
        TVasPresetList vas;
        LoadVasPresets(vas, path, 1049);
        break;
    }
    default: {
        TRecorderSettings settings;
        LoadProfileFile(kProfileModel, path, settings);
        break;
    }
    }
    ResetKeepingLanguages();
    return 0;
}

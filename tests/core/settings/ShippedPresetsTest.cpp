#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <array>

#include "core/flash/CodecTable.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/RecorderPresets.h"

// The preset files the build puts beside the program (this test runs from
// the program's folder), read the way the recorder object reads them.
namespace {

constexpr std::array<std::uint16_t, 3> kRates{4000, 8000, 16000};


}  // namespace

TEST(ShippedPresetsTest, OneQualityPresetPerRateAndCompressionOfTheCodecTable)
{
    SetProgramFolderOverride(QString());
    const QString file = QualityPresetFileName(PresetBasePath());
    ASSERT_TRUE(QFileInfo(file).isFile()) << file.toStdString();
    TQualityPresetList list;
    LoadQualityPresets(list, file, 1033);
    QSet<QString> names;
    QSet<std::pair<int, int>> offered;  // (rate, compression caption)
    for (int i = 0; i < list.Count(); ++i) {
        const TQualityPreset& preset = *list.Item(i);
        SCOPED_TRACE(preset.Name.toStdString());
        EXPECT_FALSE(names.contains(preset.Name)) << "name twice";
        names.insert(preset.Name);
        const TCodecInfo* codec = FindCodec(preset.Compress, preset.CompressParam);
        ASSERT_NE(codec, nullptr);
        EXPECT_NE(std::find(kRates.begin(), kRates.end(), preset.BitRate), kRates.end());
        EXPECT_FALSE(codec->lowRatesOnly && preset.BitRate > 8000);
        const std::pair<int, int> key{preset.BitRate, static_cast<int>(codec->caption)};
        EXPECT_FALSE(offered.contains(key)) << "twice";
        offered.insert(key);
        // The settings dialog selects it for a profile of those values.
        TRecordProfile profile;
        profile.SampleRate = preset.BitRate;
        profile.Compress = preset.Compress;
        profile.CompressParam = preset.CompressParam;
        EXPECT_EQ(FindQualityPreset(list, profile), i);
    }
    for (std::size_t c = 0; c < kCompressionCaptionCount; ++c) {
        const TCodecInfo& codec = CodecInfo(static_cast<TCompressionCaption>(c));
        for (const std::uint16_t rate : kRates) {
            const bool allowed = !(codec.lowRatesOnly && rate > 8000);
            EXPECT_EQ(offered.contains({rate, static_cast<int>(c)}), allowed) << codec.builtInCaption << " " << rate;
        }
    }
}

TEST(ShippedPresetsTest, TheVasPresetHoldsTheDefaultValues)
{
    SetProgramFolderOverride(QString());
    const QString file = VasPresetFileName(PresetBasePath());
    ASSERT_TRUE(QFileInfo(file).isFile()) << file.toStdString();
    TVasPresetList list;
    LoadVasPresets(list, file, 1033);
    ASSERT_EQ(list.Count(), 1);
    TVasParams defaults;
    defaults.T4 = 1;
    defaults.X1 = defaults.X2 = defaults.X3 = 127;
    EXPECT_EQ(list.Item(0)->Params, defaults);
    EXPECT_EQ(FindVasPreset(list, defaults), 0);
}

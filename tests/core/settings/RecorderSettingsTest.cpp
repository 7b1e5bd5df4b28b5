#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/settings/RecorderSettings.h"
#include "core/settings/RecorderSettingsHeader.h"
#include "tests/core/settings/SampleRecorderSettings.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

template <typename Item> Bytes Serialized(const Item& item)
{
    Bytes out(Item::kSize);
    item.Serialize(out.data());
    return out;
}


} // namespace

TEST(RecorderSettingsRecord, ProfileGoldenBytes)
{
    const TRecordProfile profile{3, 16000, 2, 1, 1, 0, 50};
    EXPECT_EQ(Serialized(profile), (Bytes{0x03, 0x80, 0x3E, 0x02, 0x01, 0x01, 0x00, 0x32}));
    const Bytes bytes = Serialized(profile);
    EXPECT_EQ(TRecordProfile::Parse(bytes.data()), profile);
}

TEST(RecorderSettingsRecord, VasGoldenBytes)
{
    const TVasParams vas{0x0102, 0x0304, 0x0506, 0x07, 0x0809, 0x0A, 0x0B, 0x0C};
    EXPECT_EQ(Serialized(vas), (Bytes{0x02, 0x01, 0x04, 0x03, 0x06, 0x05, 0x07, 0x09, 0x08, 0x0A, 0x0B, 0x0C}));
    const Bytes bytes = Serialized(vas);
    EXPECT_EQ(TVasParams::Parse(bytes.data()), vas);
}

TEST(RecorderSettingsRecord, TimerGoldenBytes)
{
    const TTimerSetting timer{0x04030201, 0x08070605, 1};
    EXPECT_EQ(Serialized(timer), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 1}));
}

TEST(RecorderSettingsRecord, WholeRecordIs142BytesInFieldOrder)
{
    const TRecorderSettings settings = DistinctSettings();
    const Bytes bytes = Serialized(settings);
    ASSERT_EQ(bytes.size(), 142u);
    EXPECT_EQ(Bytes(bytes.begin() + 8, bytes.begin() + 16), Serialized(settings.Profiles[1]));
    EXPECT_EQ(Bytes(bytes.begin() + 64, bytes.begin() + 76), Serialized(settings.Vas));
    EXPECT_EQ(bytes[76], 21);          // SearchStep
    EXPECT_EQ(bytes[77], 1);           // PressType
    EXPECT_EQ(bytes[78], 3);           // AccessLevel
    EXPECT_EQ(bytes[81], 3001 & 0xFF); // BatteryLevels[1]
    EXPECT_EQ(bytes[87], 5);           // CodecGain
    EXPECT_EQ(bytes[88], 6);           // ExtDevice
    EXPECT_EQ(Bytes(bytes.begin() + 89, bytes.begin() + 98), Serialized(settings.OnceTimer));
    EXPECT_EQ(bytes[107], 6);    // CurrentProfile
    EXPECT_EQ(bytes[108], 's');  // Password
    EXPECT_EQ(bytes[116], 1);    // Aon[0].Code
    EXPECT_EQ(bytes[141], 0xAC); // Aon[12].Value
    EXPECT_EQ(TRecorderSettings::Parse(bytes.data()), settings);
}

TEST(RecorderSettingsRecord, Normalisation)
{
    struct Case {
        const char* name;
        void (*change)(TRecorderSettings&);
        void (*expect)(TRecorderSettings&);
    };
    const Case cases[] = {
        {"rate and compression of profile 3",
         [](TRecorderSettings& s) { s.Profiles[3].SampleRate = 11025, s.Profiles[3].Compress = 7; },
         [](TRecorderSettings& s) { s.Profiles[3].SampleRate = 8000, s.Profiles[3].Compress = 0; }},
        {"rate 0", [](TRecorderSettings& s) { s.Profiles[0].SampleRate = 0; },
         [](TRecorderSettings& s) { s.Profiles[0].SampleRate = 8000; }},
        {"compression 3", [](TRecorderSettings& s) { s.Profiles[7].Compress = 3; },
         [](TRecorderSettings& s) { s.Profiles[7].Compress = 0; }},
        {"profile numbers", [](TRecorderSettings& s) { s.Profiles[2].Index = 9, s.Profiles[5].Index = 0; },
         [](TRecorderSettings&) {}},
        {"current profile 9", [](TRecorderSettings& s) { s.CurrentProfile = 9; },
         [](TRecorderSettings& s) { s.CurrentProfile = 0; }},
        {"current profile 7 stays", [](TRecorderSettings& s) { s.CurrentProfile = 7; },
         [](TRecorderSettings& s) { s.CurrentProfile = 7; }},
        {"X2 of 200, X3 of 0", [](TRecorderSettings& s) { s.Vas.X2 = 200, s.Vas.X3 = 0; },
         [](TRecorderSettings& s) { s.Vas.X2 = 127, s.Vas.X3 = 1; }},
        {"X1 of 0 and 128", [](TRecorderSettings& s) { s.Vas.X1 = 0, s.Vas.X2 = 128, s.Vas.X3 = 127; },
         [](TRecorderSettings& s) { s.Vas.X1 = 1, s.Vas.X2 = 127, s.Vas.X3 = 127; }},
        {"once timer beyond the limit",
         [](TRecorderSettings& s) { s.OnceTimer.On = 0xFFFFFFFF, s.OnceTimer.Off = 0xFFFFA4C5; },
         [](TRecorderSettings& s) { s.OnceTimer.On = 0xFFFFA4C4, s.OnceTimer.Off = 0xFFFFA4C4; }},
        {"once timer at the limit", [](TRecorderSettings& s) { s.OnceTimer.On = 0xFFFFA4C4; },
         [](TRecorderSettings& s) { s.OnceTimer.On = 0xFFFFA4C4; }},
        {"daily timer is not clamped", [](TRecorderSettings& s) { s.DailyTimer.On = 0xFFFFFFFF; },
         [](TRecorderSettings& s) { s.DailyTimer.On = 0xFFFFFFFF; }},
        {"access level 0", [](TRecorderSettings& s) { s.AccessLevel = 0; },
         [](TRecorderSettings& s) { s.AccessLevel = 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRecorderSettings settings = DistinctSettings();
        TRecorderSettings expected = settings;
        c.change(settings);
        c.expect(expected);
        NormaliseRecorderSettings(settings);
        EXPECT_EQ(settings, expected);
    }
}

TEST(RecorderSettingsHeader, FieldsLandWhereTheHeaderKeepsThem)
{
    const TRecorderSettings s = DistinctSettings();
    std::array<std::uint8_t, 512> header;
    header.fill(0xEE);
    SettingsToImageHeader(s, header.data());

    // Profile 0: 16000 Hz is rate code 0; profile 1: 8000 Hz is 1; profile 2: 4000 Hz is 2.
    EXPECT_EQ(Bytes(header.begin() + 0x134, header.begin() + 0x13A), (Bytes{0, 0, 1, 0, 0, 10}));
    EXPECT_EQ(header[0x13A], 1);
    EXPECT_EQ(header[0x140], 2);
    // VAS: T4 and X1 widened to 16 bits.
    EXPECT_EQ(Bytes(header.begin() + 0x164, header.begin() + 0x172),
              (Bytes{0xE9, 0x03, 0xEA, 0x03, 0xEB, 0x03, 104, 0, 0xED, 0x03, 106, 0, 107, 108}));
    EXPECT_EQ(header[0x172], 0xEE); // reserved bytes untouched
    EXPECT_EQ(header[0x17A], 21);
    EXPECT_EQ(header[0x17B], 3);
    EXPECT_EQ(header[0x17C], 1);
    EXPECT_EQ(header[0x17F], 3001 & 0xFF);
    EXPECT_EQ(header[0x185], 0xEE);
    EXPECT_EQ(Bytes(header.begin() + 0x187, header.begin() + 0x190), Serialized(s.OnceTimer));
    EXPECT_EQ(Bytes(header.begin() + 0x190, header.begin() + 0x199), Serialized(s.DailyTimer));
    EXPECT_EQ(Bytes(header.begin() + 0x199, header.begin() + 0x1A0), (Bytes{'s', 'e', 'c', 'r', 'e', 't', 0}));
    EXPECT_EQ(header[0x1A0], 1);
    EXPECT_EQ(header[0x1B9], 0xAC);
    EXPECT_EQ(header[0x1BA], 0xEE);
    // The current profile reaches byte 4 only through the command 57 frame.
    EXPECT_EQ(header[4], 0xEE);
}

TEST(RecorderSettingsHeader, ReadKeepsWhatTheHeaderDoesNotHold)
{
    const TRecorderSettings stored = DistinctSettings();
    std::array<std::uint8_t, 512> header{};
    SettingsToImageHeader(stored, header.data());
    header[4] = stored.CurrentProfile;
    // The high bytes of T4 and X1 are not taken.
    header[0x16B] = 0x55;
    header[0x16F] = 0x55;

    TRecorderSettings read;
    read.CodecGain = 77;
    read.ExtDevice = 88;
    read.Password.fill(0x99);
    SettingsFromImageHeader(header.data(), read);

    TRecorderSettings expected = stored;
    expected.CodecGain = 77;
    expected.ExtDevice = 88;
    expected.Password.fill(0x99);
    for (TRecordProfile& profile : expected.Profiles)
        profile.Index = 0; // numbered by the normalisation, not by the header
    EXPECT_EQ(read, expected);
}

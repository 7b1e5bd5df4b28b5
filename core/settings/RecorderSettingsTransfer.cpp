#include "core/settings/RecorderSettingsTransfer.h"

#include <QString>
#include <algorithm>

#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecorderCommands.h"
#include "core/settings/RecorderSettingsImage.h"

namespace {

// One settings item over a command: the request is the item as it stands
// (none when reading), the reply replaces it only when the command succeeded.
template <typename Item> void ExchangeItem(std::uint8_t code, Item& item, bool storing)
{
    std::uint8_t request[Item::kSize];
    std::uint8_t reply[Item::kSize];
    if (storing)
        item.Serialize(request);
    RunCommand(code, request, storing ? Item::kSize : 0, reply, Item::kSize);
    item = Item::Parse(reply);
}

void ExchangeByte(std::uint8_t code, std::uint8_t& item, bool storing)
{
    std::uint8_t request = item;
    std::uint8_t reply = 0;
    RunCommand(code, &request, storing ? 1 : 0, &reply, 1);
    item = reply;
}

void ExchangeBatteryLevels(TRecorderSettings& settings, bool storing)
{
    std::uint8_t request[TRecorderSettings::kBatteryLevelsSize];
    std::uint8_t reply[TRecorderSettings::kBatteryLevelsSize];
    if (storing)
        SerializeBatteryLevels(settings, request);
    RunCommand(cmdBatteryLevels, request, storing ? sizeof request : 0, reply, sizeof reply);
    ParseBatteryLevels(reply, settings);
}

void ExchangeAon(TRecorderSettings& settings, bool storing)
{
    std::uint8_t request[TRecorderSettings::kAonSize];
    std::uint8_t reply[TRecorderSettings::kAonSize];
    if (storing)
        SerializeAon(settings, request);
    RunCommand(storing ? cmdSetAon : cmdGetAon, request, storing ? sizeof request : 0, reply, sizeof reply);
    ParseAon(reply, settings);
}

// The current profile, the eight profiles and ten more items.
constexpr int kReadSteps = 1 + static_cast<int>(TRecorderSettings::kProfileCount) + 10;

void ReadByCommands(TRecorderSettings& settings, const TSettingsReadProgress& progress)
{
    int done = 0;
    const auto step = [&] {
        if (progress)
            progress(++done, kReadSteps);
    };
    ExchangeByte(cmdGetCurrentProfile, settings.CurrentProfile, false);
    if (settings.CurrentProfile > 7)
        settings.CurrentProfile = 0;
    step();
    for (std::size_t i = 0; i < settings.Profiles.size(); ++i) {
        const auto number = static_cast<std::uint8_t>(i);
        std::uint8_t reply[TRecordProfile::kSize];
        RunCommand(cmdGetProfile, &number, 1, reply, sizeof reply);
        settings.Profiles[i] = TRecordProfile::Parse(reply);
        step();
    }
    ExchangeItem(cmdGetVas, settings.Vas, false);
    step();
    ExchangeByte(cmdGetPressType, settings.PressType, false);
    step();
    ExchangeByte(cmdGetCodecGain, settings.CodecGain, false);
    step();
    ExchangeByte(cmdGetExtDevice, settings.ExtDevice, false);
    step();
    ExchangeByte(cmdGetAccessLevel, settings.AccessLevel, false);
    step();
    ExchangeBatteryLevels(settings, false);
    step();
    ExchangeItem(cmdGetOnceTimer, settings.OnceTimer, false);
    step();
    ExchangeItem(cmdGetDailyTimer, settings.DailyTimer, false);
    step();
    ExchangeByte(cmdGetSearchStep, settings.SearchStep, false);
    step();
    ExchangeAon(settings, false);
    step();
}

void StoreByCommands(TRecorderSettings& settings)
{
    std::uint8_t password[TRecorderSettings::kPasswordUsed];
    RunCommand(cmdSetPassword, settings.Password.data(), sizeof password, password, sizeof password);
    std::copy(std::begin(password), std::end(password), settings.Password.begin());

    ExchangeByte(cmdSetCurrentProfile, settings.CurrentProfile, true);
    for (TRecordProfile& profile : settings.Profiles)
        ExchangeItem(cmdSetProfile, profile, true);
    ExchangeItem(cmdSetVas, settings.Vas, true);
    ExchangeByte(cmdSetPressType, settings.PressType, true);
    ExchangeByte(cmdSetCodecGain, settings.CodecGain, true);
    ExchangeByte(cmdSetExtDevice, settings.ExtDevice, true);
    ExchangeByte(cmdSetAccessLevel, settings.AccessLevel, true);
    ExchangeBatteryLevels(settings, true);
    ExchangeItem(cmdSetOnceTimer, settings.OnceTimer, true);
    ExchangeItem(cmdSetDailyTimer, settings.DailyTimer, true);
    ExchangeByte(cmdSetSearchStep, settings.SearchStep, true);
    ExchangeAon(settings, true);
}

} // namespace

void ReadRecorderSettings(TRecorderSettings& settings, std::uint32_t connectType, const TSettingsReadProgress& progress)
{
    DebugLog(QStringLiteral("Reading recorder settings"));
    try {
        if (IsImageConnection(connectType)) {
            ReadSettingsFromImage(settings);
            if (progress)
                progress(1, 1);
        } else {
            ReadByCommands(settings, progress);
        }
    } catch (...) {
        // What arrived before the failure is kept, in the ranges the rest of
        // the program relies on.
        NormaliseRecorderSettings(settings);
        throw;
    }
    NormaliseRecorderSettings(settings);
}

void StoreRecorderSettings(TRecorderSettings& settings, std::uint32_t connectType)
{
    DebugLog(QStringLiteral("Store recorder settings"));
    if (IsImageConnection(connectType)) {
        StoreSettingsToImage(settings);
        return;
    }
    StoreByCommands(settings);
    ReadRecorderSettings(settings, connectType);
}

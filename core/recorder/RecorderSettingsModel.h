#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "core/settings/RecorderSettings.h"

class TCustomRecorder;
class TQualityPresetList;
class TVasPresetList;

// What the recorder settings dialog may reach of a connected recorder: a
// copy of the settings record as last read, the presets it offers, storing
// an edited record, and the recording time a profile would give.
class TRecorderSettingsModel {
public:
    virtual ~TRecorderSettingsModel() = default;

    virtual TRecorderSettings Settings() const = 0;
    virtual const TQualityPresetList& QualityPresets() const = 0;
    virtual const TVasPresetList& VasPresets() const = 0;
    // Takes the record as the recorder's and writes it to the recorder. A
    // failure leaves the record as it was before and raises.
    virtual void Store(const TRecorderSettings& settings) = 0;
    // Seconds of recording the free memory holds with the profile.
    virtual std::uint64_t RecordTime(const TRecordProfile& profile) const = 0;
    // The model text profile files are tagged with.
    virtual QString ModelText() const = 0;
};

// The settings model over a recorder object made by CreateRecorder; null
// for any other implementation of the interface. It must not outlive the
// recorder.
std::unique_ptr<TRecorderSettingsModel> MakeRecorderSettingsModel(TCustomRecorder& recorder);

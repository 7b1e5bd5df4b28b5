#include "core/recorder/RecorderSettingsModel.h"

#include "core/recorder/Recorder.h"

namespace {

class TRecorderObjectSettings : public TRecorderSettingsModel {
public:
    explicit TRecorderObjectSettings(TRecorder& recorder) : m_recorder(recorder) {}

    TRecorderSettings Settings() const override { return m_recorder.Settings(); }
    const TQualityPresetList& QualityPresets() const override { return m_recorder.QualityPresets(); }
    const TVasPresetList& VasPresets() const override { return m_recorder.VasPresets(); }

    void Store(const TRecorderSettings& settings) override
    {
        // The recorder object's record must not claim values the recorder
        // never took.
        const TRecorderSettings before = m_recorder.Settings();
        m_recorder.Settings() = settings;
        try {
            m_recorder.StoreRecorderSettings();
        } catch (...) {
            m_recorder.Settings() = before;
            throw;
        }
    }

    std::uint64_t RecordTime(const TRecordProfile& profile) const override
    {
        return m_recorder.GetProfileRecordTime(profile);
    }

    QString ModelText() const override { return m_recorder.ModelText(); }

private:
    TRecorder& m_recorder;
};

}  // namespace

std::unique_ptr<TRecorderSettingsModel> MakeRecorderSettingsModel(TCustomRecorder& recorder)
{
    auto* object = dynamic_cast<TRecorder*>(&recorder);
    if (!object)
        return nullptr;
    return std::make_unique<TRecorderObjectSettings>(*object);
}

#include "core/recorder/RecorderHost.h"

#include <atomic>

#include "core/protocol/DebugLog.h"

QString BuiltInCompressionCaption(TCompressionCaption which)
{
    return QString::fromLatin1(CodecInfo(which).builtInCaption);
}

QString BuiltInScaleCaption(int index)
{
    return index >= 0 && index <= 4 ? QString::number(1 << index) : QString();
}

namespace {

class TQuietRecorderHost final : public TRecorderHost {
public:
    void SetHiddenSettingsVisible(bool) override {}
    bool ChooseUploadFormat(std::uint8_t&, std::uint8_t&) override { return false; }
    int AppMessageBox(const QString& text, std::uint32_t, const QString&) override
    {
        DebugLog(text);
        return IDCANCEL;
    }
    QString CompressionCaption(TCompressionCaption which) override { return BuiltInCompressionCaption(which); }
    QString ScaleCaption(int index) override { return BuiltInScaleCaption(index); }
};

TQuietRecorderHost g_quietHost;
std::atomic<TRecorderHost*> g_host{nullptr};

}  // namespace

TRecorderHost& RecorderHost()
{
    TRecorderHost* host = g_host.load(std::memory_order_acquire);
    return host ? *host : g_quietHost;
}

void SetRecorderHost(TRecorderHost* host)
{
    g_host.store(host, std::memory_order_release);
}

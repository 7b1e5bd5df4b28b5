#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>

#include "core/protocol/RecXchange.h"
#include "core/recorder/RecorderHost.h"

// Records what the recorder object asks of the user interface.
class FakeRecorderHost : public TRecorderHost {
public:
    FakeRecorderHost() { SetRecorderHost(this); }
    ~FakeRecorderHost() override { SetRecorderHost(nullptr); }

    void SetHiddenSettingsVisible(bool visible) override { HiddenVisible = visible; }
    bool ChooseUploadFormat(std::uint8_t& compress, std::uint8_t& param) override
    {
        SeenCompress = compress;
        SeenParam = param;
        if (!ChooseAccepts)
            return false;
        compress = ChosenCompress;
        param = ChosenParam;
        return true;
    }
    int AppMessageBox(const QString& text, std::uint32_t flags, const QString& caption) override
    {
        Messages.append(text);
        MessageFlags.append(flags);
        MessageCaptions.append(caption);
        return IDOK;
    }
    void JobEnded() override { ++JobEnds; }
    QString CompressionCaption(TCompressionCaption) override { return {}; }
    QString ScaleCaption(int) override { return {}; }

    bool HiddenVisible = false;
    bool ChooseAccepts = true;
    std::uint8_t ChosenCompress = 0, ChosenParam = 0, SeenCompress = 0, SeenParam = 0;
    QStringList Messages;
    QList<std::uint32_t> MessageFlags;
    QStringList MessageCaptions;
    std::atomic<int> JobEnds{0};
};

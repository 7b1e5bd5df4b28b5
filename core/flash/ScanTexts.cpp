#include "core/flash/ScanTexts.h"

#include "core/recorder/RecorderHost.h"
#include "localizer/LangConst.h"

TScanTexts TScanTexts::Take(TRecorderHost& host)
{
    TScanTexts texts;
    for (std::size_t i = 0; i < texts.Compressions.size(); ++i)
        texts.Compressions[i] = host.CompressionCaption(static_cast<TCompressionCaption>(i));
    for (int i = 0; i < static_cast<int>(texts.Scale.size()); ++i)
        texts.Scale[static_cast<std::size_t>(i)] = host.ScaleCaption(i);
    texts.Hz = LangConst(QStringLiteral("HzStr"));
    texts.Circular = LangConst(QStringLiteral("CircularRecStr"));
    texts.Outgoing = LangConst(QStringLiteral("OutcomingCallStr"));
    texts.Incoming = LangConst(QStringLiteral("IncomingCallStr"));
    texts.NumberSign = LangConst(QStringLiteral("TelNumberStr"));
    return texts;
}

std::array<QString, kCompressionCaptionCount> TScanTexts::BuiltInCompressions()
{
    std::array<QString, kCompressionCaptionCount> captions;
    for (std::size_t i = 0; i < captions.size(); ++i)
        captions[i] = QString::fromLatin1(CodecInfo(static_cast<TCompressionCaption>(i)).builtInCaption);
    return captions;
}

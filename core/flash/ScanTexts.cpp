#include "core/flash/ScanTexts.h"

#include "core/recorder/RecorderHost.h"
#include "localizer/LangConst.h"

TScanTexts TScanTexts::Take(TRecorderHost& host)
{
    TScanTexts texts;
    texts.NoCompress = host.CompressionCaption(TCompressionCaption::NoCompress);
    texts.uLaw = host.CompressionCaption(TCompressionCaption::uLaw);
    texts.Adpcm2 = host.CompressionCaption(TCompressionCaption::Adpcm2);
    texts.Adpcm4 = host.CompressionCaption(TCompressionCaption::Adpcm4);
    for (int i = 0; i < static_cast<int>(texts.Scale.size()); ++i)
        texts.Scale[static_cast<std::size_t>(i)] = host.ScaleCaption(i);
    texts.Hz = LangConst(QStringLiteral("HzStr"));
    texts.Circular = LangConst(QStringLiteral("CircularRecStr"));
    texts.Outgoing = LangConst(QStringLiteral("OutcomingCallStr"));
    texts.Incoming = LangConst(QStringLiteral("IncomingCallStr"));
    texts.NumberSign = LangConst(QStringLiteral("TelNumberStr"));
    return texts;
}

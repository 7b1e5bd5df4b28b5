#pragma once

#include <QString>
#include <array>

#include "core/flash/CodecTable.h"

class TRecorderHost;

// The texts the content scan writes into descriptions and call texts: the
// captions of the settings dialog's compression controls and scale list,
// and the localized words. Taken on the GUI thread before the scan starts,
// so the scan thread never reaches into the user interface.
struct TScanTexts {
    // By TCompressionCaption; the codec table's built-in captions until taken.
    std::array<QString, kCompressionCaptionCount> Compressions = BuiltInCompressions();
    std::array<QString, 5> Scale{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("8"),
                                 QStringLiteral("16")};
    QString Hz = QStringLiteral("Hz");
    QString Circular = QStringLiteral("Circular");
    QString Outgoing = QStringLiteral("Out");
    QString Incoming = QStringLiteral("In");
    QString NumberSign = QStringLiteral("\u2116");

    const QString& Compression(TCompressionCaption which) const
    {
        return Compressions[static_cast<std::size_t>(which)];
    }

    // The host's captions and the active language's words.
    static TScanTexts Take(TRecorderHost& host);

private:
    static std::array<QString, kCompressionCaptionCount> BuiltInCompressions();
};

#include "core/flash/DriveNameSanitizer.h"

#include <QDir>
#include <QStringList>

namespace {

constexpr int kMaxKeptExtension = 16;

bool IsForbidden(QChar c)
{
    return c.unicode() < 0x20 || c == QLatin1Char('/') || QStringLiteral(":*?\"<>|").contains(c);
}

// Cuts text to at most maxBytes of UTF-8 without splitting a surrogate pair.
QString CutToBytes(const QString& text, int maxBytes)
{
    QString result;
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString piece = text.mid(i, length);
        const int pieceBytes = static_cast<int>(piece.toUtf8().size());
        if (bytes + pieceBytes > maxBytes)
            break;
        result += piece;
        bytes += pieceBytes;
        i += length - 1;
    }
    return result;
}

QString ShortenComponent(const QString& component)
{
    if (component.toUtf8().size() <= kMaxPcNameBytes)
        return component;
    const qsizetype dot = component.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot > 0 ? component.mid(dot) : QString();
    if (extension.isEmpty() || extension.size() > kMaxKeptExtension)
        return CutToBytes(component, kMaxPcNameBytes);
    const int stemBytes = kMaxPcNameBytes - static_cast<int>(extension.toUtf8().size());
    return CutToBytes(component.left(dot), stemBytes) + extension;
}

QString CleanComponent(const QString& raw)
{
    QString component = raw;
    for (QChar& c : component)
        if (IsForbidden(c))
            c = QLatin1Char('_');
    component = component.trimmed();
    // Windows drops trailing dots, and "." and ".." must never survive.
    while (component.endsWith(QLatin1Char('.')))
        component.chop(1);
    component = component.trimmed();
    return component.isEmpty() ? component : ShortenComponent(component);
}

}  // namespace

QString SanitizedDriveName(const QString& recorderName)
{
    QStringList parts;
    for (const QString& raw : recorderName.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        const QString component = CleanComponent(raw);
        if (!component.isEmpty())
            parts << component;
    }
    if (parts.isEmpty())
        throw EUnsafeDriveName(QStringLiteral("The recorder's file name \"%1\" cannot be used on the PC")
                                   .arg(QString(recorderName).replace(QChar(0), QLatin1Char('?'))));
    return parts.join(QLatin1Char('/'));
}

QString PcPathForDriveName(const QString& targetFolder, const QString& recorderName)
{
    return QDir(targetFolder).filePath(SanitizedDriveName(recorderName));
}

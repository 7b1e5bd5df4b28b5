#include "core/settings/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <utility>

#include "core/settings/AtomicFile.h"
#include "core/settings/IniValues.h"
#include "localizer/LangFormat.h"

namespace {

// Blanks and control characters, as the private-profile functions trim.
QStringView Trimmed(QStringView text)
{
    while (!text.isEmpty() && text.front().unicode() <= u' ')
        text = text.mid(1);
    while (!text.isEmpty() && text.back().unicode() <= u' ')
        text.chop(1);
    return text;
}

std::optional<QStringView> SectionNameOf(QStringView line)
{
    line = Trimmed(line);
    if (!line.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = line.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return Trimmed(line.mid(1, close - 1));
}

struct Entry {
    QStringView Name;
    QStringView Value;
};

std::optional<Entry> EntryOf(QStringView line)
{
    line = Trimmed(line);
    if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'['))
        return std::nullopt;
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    const QStringView name = Trimmed(line.left(equals));
    if (name.isEmpty())
        return std::nullopt;
    return Entry{name, Trimmed(line.mid(equals + 1))};
}

bool SameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A key under which names that compare equal without regard to case meet;
// names that do not may meet too, so a match is still compared. Code point
// by code point, a lone surrogate as the replacement character.
QString FoldedName(QStringView name)
{
    QString folded;
    folded.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        char32_t c = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && name[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(unit, name[++i].unicode());
        else if (QChar::isSurrogate(unit))
            c = QChar::ReplacementCharacter;
        folded.append(QChar::fromUcs4(QChar::toCaseFolded(c)));
    }
    return folded;
}

QStringView WithoutQuotes(QStringView value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// The whole file, or nothing and the reason.
std::optional<QByteArray> ReadAtMost(const QString& fileName, qint64 limit, QString& reason)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return std::nullopt;
    }
    const auto tooLarge = [&] { return file.size() > limit; };
    QByteArray bytes = tooLarge() ? QByteArray() : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return std::nullopt;
    }
    if (tooLarge() || bytes.size() > limit) {
        reason = QStringLiteral("the file is larger than %1 bytes").arg(limit);
        return std::nullopt;
    }
    return bytes;
}

} // namespace

TIniFile::TIniFile(const QString& fileName, int legacyCodePage) : m_fileName(fileName)
{
    if (!QFileInfo::exists(fileName))
        return; // a missing file reads as an empty one
    QString reason;
    const std::optional<QByteArray> bytes = ReadAtMost(fileName, kMaxFileSize, reason);
    if (!bytes) {
        m_readError = LangFormat(QStringLiteral("Unable to read %s"), fileName) + QStringLiteral(": ") + reason;
        return;
    }
    TIniText text = DecodeIniText(*bytes, legacyCodePage);
    m_lines = std::move(text.Lines);
    m_encoding = text.Encoding;
    IndexSections();
}

void TIniFile::IndexSections()
{
    m_headerLines.clear();
    m_headersByName.clear();
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (const auto name = SectionNameOf(m_lines[i])) {
            m_headerLines.push_back(i);
            m_headersByName[FoldedName(*name)].push_back(i);
        }
    }
}

TIniFile::Range TIniFile::FindSection(const QString& section) const
{
    Range range;
    range.End = m_lines.size();
    const auto named = m_headersByName.constFind(FoldedName(section));
    if (named == m_headersByName.cend())
        return range;
    for (const qsizetype header : *named) {
        if (!SameName(*SectionNameOf(m_lines[header]), section))
            continue;
        range.Header = header;
        // The section ends at the next header, whatever its name.
        const auto next = std::upper_bound(m_headerLines.begin(), m_headerLines.end(), header);
        if (next != m_headerLines.end())
            range.End = *next;
        return range;
    }
    return range;
}

qsizetype TIniFile::FindKey(const Range& range, const QString& key) const
{
    if (range.Header < 0)
        return -1;
    for (qsizetype i = range.Header + 1; i < range.End; ++i) {
        const auto entry = EntryOf(m_lines[i]);
        if (entry && SameName(entry->Name, key))
            return i;
    }
    return -1;
}

std::optional<QString> TIniFile::Value(const QString& section, const QString& key) const
{
    const qsizetype line = FindKey(FindSection(section), key);
    if (line < 0)
        return std::nullopt;
    return WithoutQuotes(EntryOf(m_lines[line])->Value).toString();
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    return Value(section, key).value_or(defaultValue);
}

std::int32_t TIniFile::ReadInteger(const QString& section, const QString& key, std::int32_t defaultValue) const
{
    const auto text = Value(section, key);
    if (!text)
        return defaultValue;
    return ParseIniInteger(*text).value_or(defaultValue);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double defaultValue) const
{
    const auto text = Value(section, key);
    if (!text)
        return defaultValue;
    return ParseIniFloat(*text).value_or(defaultValue);
}

std::optional<QByteArray> TIniFile::ReadBinary(const QString& section, const QString& key) const
{
    const auto text = Value(section, key);
    if (!text)
        return std::nullopt;
    return ParseIniBinary(*text);
}

QStringList TIniFile::SectionNames() const
{
    QStringList names;
    for (const qsizetype header : m_headerLines) {
        const QStringView name = *SectionNameOf(m_lines[header]);
        // Named once, by the first header of that name.
        const std::vector<qsizetype>& sameKey = *m_headersByName.constFind(FoldedName(name));
        const bool first = std::none_of(sameKey.begin(), sameKey.end(), [&](qsizetype other) {
            return other < header && SameName(*SectionNameOf(m_lines[other]), name);
        });
        if (first)
            names.append(name.toString());
    }
    return names;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const Range range = FindSection(section);
    if (range.Header < 0) {
        m_lines.append(u'[' + section + u']');
        m_lines.append(key + u'=' + value);
        IndexSections();
        return;
    }
    if (const qsizetype line = FindKey(range, key); line >= 0) {
        // Keep the file's own spelling of the key. The line starts with
        // that name, so it stays an entry and the index holds.
        m_lines[line] = EntryOf(m_lines[line])->Name.toString() + u'=' + value;
        return;
    }
    qsizetype insertAt = range.Header + 1;
    for (qsizetype i = range.Header + 1; i < range.End; ++i)
        if (EntryOf(m_lines[i]))
            insertAt = i + 1;
    m_lines.insert(insertAt, key + u'=' + value);
    IndexSections();
}

void TIniFile::WriteInteger(const QString& section, const QString& key, std::int64_t value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::WriteFloat(const QString& section, const QString& key, double value)
{
    WriteString(section, key, FormatIniFloat(value));
}

void TIniFile::WriteBinary(const QString& section, const QString& key, const QByteArray& value)
{
    WriteString(section, key, FormatIniBinary(value));
}

void TIniFile::Save() const
{
    // Writing would put our few keys in place of every line we could not read.
    if (m_readError)
        throw EIniFileError(LangFormat(QStringLiteral("Unable to write to %s"), m_fileName) + QStringLiteral("\r\n") +
                            *m_readError);
    if (!WriteFileAtomically(m_fileName, EncodeIniText(m_lines, m_encoding)))
        throw EIniFileError(LangFormat(QStringLiteral("Unable to write to %s"), m_fileName));
}

TIniFile TIniFile::Empty(const QString& fileName)
{
    TIniFile ini;
    ini.m_fileName = fileName;
    return ini;
}

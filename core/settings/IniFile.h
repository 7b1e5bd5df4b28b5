#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/settings/IniText.h"

// A save that the system refused: "Unable to write to <path>".
class EIniFileError : public std::runtime_error {
public:
    explicit EIniFileError(const QString& text) : std::runtime_error(text.toStdString()), Text(text) {}
    QString Text;
};

// One INI file held in memory, with the semantics of the Windows
// private-profile functions: section and key names without regard to letter
// case, the first match wins, values trimmed with one pair of enclosing
// quotes removed, ";" comments and lines without "=" skipped. A written key
// is replaced in place or added after the last entry of its section; a new
// section goes to the end; every other line stays as it was.
//
// Reading a missing file gives an empty one. A file that exists but cannot
// be read (no permission, a directory in its place, larger than
// kMaxFileSize, a read error) also reads as empty, but ReadError says so and
// Save refuses to replace it, so its lines are never lost. Nothing reaches
// the disk until Save, which replaces the file in one step.
class TIniFile {
public:
    static constexpr int kDefaultLegacyCodePage = 1251;
    // Settings files are a few kilobytes; a larger file is not one of ours.
    static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

    explicit TIniFile(const QString& fileName, int legacyCodePage = kDefaultLegacyCodePage);

    const QString& FileName() const { return m_fileName; }
    TIniEncoding Encoding() const { return m_encoding; }
    // "Unable to read <path>" and the reason, when the file exists but could
    // not be read; nothing for a file read in full or a missing one.
    const std::optional<QString>& ReadError() const { return m_readError; }

    std::optional<QString> Value(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    std::int32_t ReadInteger(const QString& section, const QString& key, std::int32_t defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    double ReadFloat(const QString& section, const QString& key, double defaultValue) const;
    // Nothing when the key is missing or not hexadecimal digits in pairs.
    std::optional<QByteArray> ReadBinary(const QString& section, const QString& key) const;
    // Section names in file order, each once (first spelling).
    QStringList SectionNames() const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, std::int64_t value);
    void WriteBool(const QString& section, const QString& key, bool value);
    void WriteFloat(const QString& section, const QString& key, double value);
    void WriteBinary(const QString& section, const QString& key, const QByteArray& value);

    // Writes the whole file through a temporary file and a rename, so a
    // failure leaves the old file whole. Raises EIniFileError, also without
    // writing anything when the file could not be read.
    void Save() const;

    // The lines as they will be saved.
    const QStringList& Lines() const { return m_lines; }

    // An empty file for the path: nothing of the file there, not even its
    // encoding, is read or kept.
    static TIniFile Empty(const QString& fileName);

private:
    TIniFile() = default;
    struct Range {
        qsizetype Header = -1; // line of "[section]"; -1 when missing
        qsizetype End = 0;     // one past the section's last line
    };
    Range FindSection(const QString& section) const;
    qsizetype FindKey(const Range& range, const QString& key) const;
    // Rebuilds the section index from the lines; after every change of them.
    void IndexSections();


    QString m_fileName;
    QStringList m_lines;
    TIniEncoding m_encoding = TIniEncoding::Utf8;
    std::optional<QString> m_readError;
    // The "[section]" lines in file order, and per case-folded name the ones
    // of that name: a lookup costs no scan of the lines, so a file of many
    // sections reads in linear time.
    std::vector<qsizetype> m_headerLines;
    QHash<QString, std::vector<qsizetype>> m_headersByName;
};

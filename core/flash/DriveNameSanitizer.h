#pragma once

#include <QString>
#include <stdexcept>

// A recorder name that leaves nothing to use as a PC name.
class EUnsafeDriveName : public std::runtime_error {
public:
    explicit EUnsafeDriveName(const QString& text) : std::runtime_error(text.toStdString()), Text(text) {}
    QString Text;
};

// The longest component on the PC, in UTF-8 bytes (NAME_MAX).
inline constexpr int kMaxPcNameBytes = 255;

// A recorder-side name ("\" separated, from the recorder's flash) as a PC
// path relative to a target folder ("/" separated). The recorder's content
// is not trusted: leading separators, "." and ".." components and empty
// components are dropped; "/" and the characters FAT forbids (":*?"<>|",
// NUL and other control characters) become "_"; spaces and trailing dots
// are trimmed from each component; a component longer than the PC allows
// is shortened, keeping a short extension. Throws EUnsafeDriveName when
// nothing is left.
QString SanitizedDriveName(const QString& recorderName);

// targetFolder joined with the sanitised name: always a path inside
// targetFolder. Throws EUnsafeDriveName as SanitizedDriveName does.
QString PcPathForDriveName(const QString& targetFolder, const QString& recorderName);

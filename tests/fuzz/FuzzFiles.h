#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// One temporary folder for the whole run (on tmpfs where there is one), made
// on first use and removed at exit; file-based harnesses write their input
// there.
QString FuzzFolder();

// Writes the bytes to FuzzFolder() + name, replacing the file; the path.
QString WriteFuzzFile(const QString& name, const std::uint8_t* data, std::size_t size);

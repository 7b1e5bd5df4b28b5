#include "tests/fuzz/FuzzFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <stdexcept>

namespace {

QString TemplateName()
{
    const QString shm = QStringLiteral("/dev/shm");
    const QString base = QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
    return base + QStringLiteral("/trellavox-fuzz-XXXXXX");
}

}  // namespace

QString FuzzFolder()
{
    static const QTemporaryDir folder(TemplateName());
    if (!folder.isValid())
        throw std::runtime_error("no temporary folder for the fuzz inputs");
    return folder.path() + QLatin1Char('/');
}

QString WriteFuzzFile(const QString& name, const std::uint8_t* data, std::size_t size)
{
    const QString path = FuzzFolder() + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) != static_cast<qint64>(size))
        throw std::runtime_error("cannot write " + path.toStdString());
    return path;
}

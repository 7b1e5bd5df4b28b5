#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QLocale>
#include <QString>
#include <signal.h>
#include <sys/resource.h>

// Small file helpers for the INI tests.
inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QString TestDataFile(const char* name)
{
    return QStringLiteral(TRELLAVOX_TEST_DATA "/ini/") + QLatin1String(name);
}

// The user's locale for as long as it lives.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) : m_saved(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_saved); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    QLocale m_saved;
};

// Makes every write past the given size fail with EFBIG while it lives: a
// full disk that no permission bit can bypass (the tests may run as root).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    sighandler_t m_oldHandler = nullptr;
};

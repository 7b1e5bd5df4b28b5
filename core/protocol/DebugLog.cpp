#include "core/protocol/DebugLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

TDebugLogState& DebugLogState()
{
    static TDebugLogState state;
    return state;
}

void ResetDebugLog()
{
    TDebugLogState& state = DebugLogState();
    state.DebugLevel = 0;
    state.DebugIndent = 0;
    state.FileName = "debug.log";
    state.Clock = civil::LocalNow;
}

std::string FormatDebugLogLine(const SYSTEMTIME& now, unsigned indent, const QString& message)
{
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%02d:%02d:%03d ", now.wMinute % 100, now.wSecond % 100,
                  now.wMilliseconds % 1000);
    std::string line(prefix);
    line.append(2 * static_cast<std::size_t>(indent), ' ');
    line += message.toStdString();
    line += "\r\n";
    return line;
}

void DebugLog(const QString& message)
{
    TDebugLogState& state = DebugLogState();
    if (state.DebugLevel.load(std::memory_order_relaxed) == 0)
        return;
    const std::string line = FormatDebugLogLine(state.Clock(), state.DebugIndent.load(), message);
    const int fd = ::open(state.FileName.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // O_APPEND makes the one write land whole at the end of the file.
    [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
    ::close(fd);
}

void SetDebugLevel(std::uint8_t level)
{
    DebugLogState().DebugLevel = level;
    const QString rule(66, QLatin1Char('-'));
    const QString framed = QStringLiteral("-----") + QString(56, QLatin1Char(' ')) + QStringLiteral("-----");
    DebugLog(rule);
    for (int i = 0; i < 3; ++i)
        DebugLog(framed);
    DebugLog(rule);
}

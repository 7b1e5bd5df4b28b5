#include "core/protocol/CommandTrace.h"

#include "core/protocol/DebugLog.h"
#include "core/protocol/RecorderCommands.h"

namespace {

QString Field(const char* name, std::uint32_t value)
{
    return QString::fromLatin1(name) + QStringLiteral(" = ") + QString::number(value) + QStringLiteral("; ");
}

QString BeforeText(std::uint8_t code, const std::uint8_t* request)
{
    QString text = QStringLiteral("Command: ") + QString::number(code) + QLatin1Char(' ');
    const RecorderCommandInfo* info = FindRecorderCommand(code);
    if (!info)
        return text;
    text += QString::fromLatin1(info->traceName);
    if (!request)
        return text;
    switch (code) {
    case cmdWritePage:
        text += Field("PageAddr", GetU32(request));
        break;
    case cmdEraseBlock:
        text += Field("BlockNumber", GetU16(request));
        break;
    case cmdGetPartsOfPages: {
        const auto parts = PartsOfPagesRequest::Parse(request);
        text += Field("PageAddr", parts.pageAddr) + Field("Offset", parts.offset) + Field("Count", parts.count) +
                Field("AddrInc", parts.addrInc) + Field("Cycles", parts.cycles);
        break;
    }
    default:
        break;
    }
    return text;
}

QString AfterText(std::uint8_t code, const std::uint8_t* reply)
{
    if (code != cmdGetFlashParam || !reply)
        return QStringLiteral("Result: OK");
    // Reply of 29: u8 chips, u16 pages per block, u16 blocks per chip, u16 page size.
    return QStringLiteral("Result: ") + Field("FlashCount", reply[0]) + Field("PageSize", GetU16(reply + 5)) +
           Field("PagesPerBlock", GetU16(reply + 1)) + Field("BlocksPerFlash", GetU16(reply + 3));
}

}  // namespace

QString TraceCommandText(bool before, std::uint8_t code, const void* data)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return before ? BeforeText(code, bytes) : AfterText(code, bytes);
}

void TraceCommand(bool before, std::uint8_t code, const void* data)
{
    if (!DebugLogOn())
        return;
    DebugLog(TraceCommandText(before, code, data));
}

#include "app/lists/ListRowText.h"

#include "app/lists/FileList.h"
#include "app/lists/RecordList.h"
#include "app/services/FormatHms.h"
#include "localizer/LangConst.h"
#include "localizer/LangFormat.h"

QString KiloBytesText(std::int64_t bytes)
{
    const std::int64_t kib = bytes / 1024 + (bytes % 1024 > 0 ? 1 : 0);
    return LangFormat(QStringLiteral("%.0n KB"), kib);
}

QString RowDateText(const SYSTEMTIME& time)
{
    return LangFormat(QStringLiteral("%.2d.%.2d.%.4d %.2d:%.2d:%.2d"), time.wDay, time.wMonth, time.wYear, time.wHour,
                      time.wMinute, time.wSecond);
}

QString DurationText(std::uint32_t seconds)
{
    return FormatHms(seconds);
}

QString RecordStatusText(std::uint8_t status)
{
    switch (status) {
    case 0x55:
        return LangConst(QStringLiteral("rsDownloadedStr"));
    case 0xAA:
        return LangConst(QStringLiteral("rsUploadedStr"));
    default:
        return LangConst(QStringLiteral("rsNonDownloadedStr"));
    }
}

QStringList FillRecordRow(const TRecords::TRecordItem& item)
{
    return {item.NumberText,           KiloBytesText(item.Size), RowDateText(item.StartTime),
            DurationText(item.Length), item.Description,         RecordStatusText(item.Status)};
}

QStringList VoicePartRow(const TRecords::TRecordItem& item)
{
    return {QStringLiteral("     ") + item.NumberText, KiloBytesText(item.Size), RowDateText(item.StartTime),
            DurationText(item.Length)};
}

QStringList RecordRowTexts(const TRecords::TRecordItem& item)
{
    return item.IsVoicePart() ? VoicePartRow(item) : FillRecordRow(item);
}

QStringList DriveRowTexts(const TFileListItem& item)
{
    return {item.Name, item.IsFolder ? QStringLiteral("Dir") : KiloBytesText(item.Size),
            RowDateText(item.Time) + QLatin1Char(' ')};
}

QString ShownTip(QString tip)
{
    return tip.replace(QStringLiteral("\n\r"), QStringLiteral("\n")).remove(QLatin1Char('\r'));
}

QString RowInfoTip(const QStringList& captions, const QStringList& texts)
{
    QString tip;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0)
            tip += QStringLiteral("\n\r");
        tip += captions.value(i) + QStringLiteral(": ") + texts[i];
    }
    return tip;
}

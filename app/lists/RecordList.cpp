#include "app/lists/RecordList.h"

#include <algorithm>

#include "app/lists/FileList.h"
#include "core/flash/SoundFileList.h"

namespace TRecords {

void TRecordItem::Assign(const TCustomSoundFileInfo& source)
{
    Number = source.Number;
    NumberText = source.NumberText;
    Size = source.Size;
    StartTime = source.StartTime;
    Length = source.Length;
    Format = source.Format;
    ExtraBlock = source.ExtraBlock;
    CallText = source.CallText;
    Description = source.Description;
    Status = source.Status;
    SecondsPerBlock = source.SecondsPerBlock;
    CodecId = source.CodecId;
    Parent = nullptr;
    VoiceParts.reset();
    if (const auto* item = dynamic_cast<const TRecordItem*>(&source)) {
        VoicePart = item->VoicePart;
        VoicePartCount = item->VoicePartCount;
        RecordNumber = item->RecordNumber;
        Recording = item->Recording;
        return;
    }
    const TCustomSoundFileInfo& recording = source.Parent ? *source.Parent : source;
    VoicePart = source.Parent != nullptr;
    VoicePartCount = !VoicePart && source.VoiceParts ? source.VoiceParts->Count() : 0;
    RecordNumber = recording.Number;
    Recording = {recording.Number, recording.Size, recording.StartTime, recording.Length};
}

}  // namespace TRecords

namespace {

template <typename T> int Sign(T value)
{
    return (value > 0) - (value < 0);
}

std::shared_ptr<TRecords::TRecordItem> CopyOf(const TCustomSoundFileInfo& source, bool showParts)
{
    auto item = std::make_shared<TRecords::TRecordItem>();
    item->Assign(source);
    item->ShowParts = showParts ? 1 : 0;
    return item;
}

}  // namespace

TRecordList::TItem* TRecordList::Add(std::shared_ptr<TItem> item)
{
    m_items.push_back(std::move(item));
    return m_items.back().get();
}

int TRecordList::CompareRecordings(const TRecords::TRecordingKey& a, const TRecords::TRecordingKey& b) const
{
    int result = 0;
    switch (m_order.SortKey()) {
    case SortSize:
        result = Sign(a.Size - b.Size);  // all 64 bits
        break;
    case SortTime:
        result = CompareFileTimes(a.StartTime, b.StartTime);
        break;
    case SortLength:
        result = Sign(static_cast<std::int64_t>(a.Length) - static_cast<std::int64_t>(b.Length));
        break;
    default:
        break;
    }
    if (result == 0)
        result = Sign(static_cast<int>(a.Number) - static_cast<int>(b.Number));
    return m_order.Directed(result);
}

int TRecordList::Compare(const TItem& a, const TItem& b) const
{
    if (a.VoicePart && b.VoicePart && a.RecordNumber == b.RecordNumber)
        return Sign(static_cast<int>(a.Number) - static_cast<int>(b.Number));
    const int result = CompareRecordings(a.Recording, b.Recording);
    if (result != 0)
        return result;
    // Within one recording: the recording before its parts.
    return static_cast<int>(a.VoicePart) - static_cast<int>(b.VoicePart);
}

void FillRecordList(TRecordList& list, const TSoundFileList* recordings, bool showVoiceParts)
{
    list.Clear();
    if (recordings) {
        for (int i = 0; i < recordings->Count(); ++i) {
            const TSoundFileInfo& recording = *recordings->Item(i);
            list.Add(CopyOf(recording, showVoiceParts));
            if (!showVoiceParts || !recording.VoiceParts)
                continue;
            for (int p = 0; p < recording.VoiceParts->Count(); ++p)
                list.Add(CopyOf(*recording.VoiceParts->Item(p), false));
        }
    }
    list.Sort();
}

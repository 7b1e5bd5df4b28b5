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
    Parent = source.Parent;
    const auto* item = dynamic_cast<const TRecordItem*>(&source);
    SharedVoiceParts = item ? item->SharedVoiceParts : source.VoiceParts.get();
    RecordNumber = source.Parent ? source.Parent->Number : source.Number;
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

int TRecordList::CompareRecordings(const TCustomSoundFileInfo& a, const TCustomSoundFileInfo& b) const
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

int TRecordList::Compare(const TCustomSoundFileInfo& a, const TCustomSoundFileInfo& b) const
{
    if (a.Parent && a.Parent == b.Parent)
        return Sign(static_cast<int>(a.Number) - static_cast<int>(b.Number));
    if (a.Parent) {
        const int result = Compare(*a.Parent, b);
        return result != 0 ? result : 1;
    }
    if (b.Parent) {
        const int result = Compare(a, *b.Parent);
        return result != 0 ? result : -1;
    }
    return CompareRecordings(a, b);
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

#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/lists/SortedList.h"
#include "core/flash/SoundFileInfo.h"

class TSoundFileList;

namespace TRecords {

// The sort fields of the recording a row belongs to.
struct TRecordingKey {
    std::uint16_t Number = 0;
    std::int64_t Size = 0;
    SYSTEMTIME StartTime{};
    std::uint32_t Length = 0;
};

// One row of the record view: a copy of a recording or of one of its voice
// parts. It holds numbers and values only, never a pointer into the
// recorder's lists (Parent and VoiceParts stay empty), so a rescan that
// frees those lists leaves every row whole.
class TRecordItem : public TCustomSoundFileInfo {
public:
    TRecordItem() = default;

    // Copies every field of the source; a voice part's recording is read
    // once, here, for its number and sort fields. ShowParts stays as it is.
    void Assign(const TCustomSoundFileInfo& source);

    bool IsVoicePart() const { return VoicePart; }

    // Whether the record view shows this recording's voice parts as rows.
    std::uint8_t ShowParts = 0;
    bool VoicePart = false;
    // How many voice parts the recording had when it was copied.
    int VoicePartCount = 0;
    // The recording's number on the recorder: its own, or for a voice part
    // its recording's.
    std::uint16_t RecordNumber = 0;
    // The recording's sort fields (its own for a recording), so a voice part
    // sorts behind it.
    TRecordingKey Recording;
};

}  // namespace TRecords

// The record view's rows in display order. Items are shared, so a
// selection taken from the list keeps its items alive.
class TRecordList : public TSortedList<TRecords::TRecordItem, std::shared_ptr<TRecords::TRecordItem>> {
public:
    using TItem = TRecords::TRecordItem;
    enum SortKeys { SortNone = 0, SortNumber = 1, SortSize = 2, SortTime = 3, SortLength = 4 };

    TItem* Add(std::shared_ptr<TItem> item);
    const std::shared_ptr<TItem>& Item(int index) const { return m_items[static_cast<std::size_t>(index)]; }

    // Negative, 0 or positive. Voice parts follow their recording, ordered
    // by part number, whatever the key and direction.
    virtual int Compare(const TItem& a, const TItem& b) const;

protected:
    int CompareItems(const TItem& a, const TItem& b) const override { return Compare(a, b); }

private:
    int CompareRecordings(const TRecords::TRecordingKey& a, const TRecords::TRecordingKey& b) const;
};

// Rebuilds the list from the recorder's recordings in list order: one item
// per recording, with showVoiceParts its voice parts right behind it; then
// sorts with the list's key and direction.
void FillRecordList(TRecordList& list, const TSoundFileList* recordings, bool showVoiceParts);

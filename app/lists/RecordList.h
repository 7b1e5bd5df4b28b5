#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/lists/SortedList.h"
#include "core/flash/SoundFileInfo.h"

class TSoundFileList;

namespace TRecords {

// One row of the record view: a copy of a recording or of one of its voice
// parts. The parent and voice-part references point into the recorder's
// lists, which every scan frees: empty the record lists before a rescan.
class TRecordItem : public TCustomSoundFileInfo {
public:
    TRecordItem() = default;

    // Copies every field of the source; parent and voice parts are shared,
    // not copied. ShowParts stays as it is.
    void Assign(const TCustomSoundFileInfo& source);

    bool IsVoicePart() const { return Parent != nullptr; }

    // Whether the record view shows this recording's voice parts as rows.
    std::uint8_t ShowParts = 0;
    // The source's voice parts (not owned; VoiceParts stays empty).
    const TSoundFileList* SharedVoiceParts = nullptr;
    // The recording's number on the recorder: its own, or for a voice part
    // its parent's (kept by value, so it outlives a rescan).
    std::uint16_t RecordNumber = 0;
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
    virtual int Compare(const TCustomSoundFileInfo& a, const TCustomSoundFileInfo& b) const;

protected:
    int CompareItems(const TItem& a, const TItem& b) const override { return Compare(a, b); }

private:
    int CompareRecordings(const TCustomSoundFileInfo& a, const TCustomSoundFileInfo& b) const;
};

// Rebuilds the list from the recorder's recordings in list order: one item
// per recording, with showVoiceParts its voice parts right behind it; then
// sorts with the list's key and direction.
void FillRecordList(TRecordList& list, const TSoundFileList* recordings, bool showVoiceParts);

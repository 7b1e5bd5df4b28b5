#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ListSortRule.h"
#include "SoundFileInfo.h"

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
class TRecordList {
public:
    using TItem = TRecords::TRecordItem;
    enum SortKeys { SortNone = 0, SortNumber = 1, SortSize = 2, SortTime = 3, SortLength = 4 };

    virtual ~TRecordList() = default;

    TItem* Add(std::shared_ptr<TItem> item);
    TItem* Items(int index) const { return m_items[static_cast<std::size_t>(index)].get(); }
    const std::shared_ptr<TItem>& Item(int index) const { return m_items[static_cast<std::size_t>(index)]; }
    int Count() const { return static_cast<int>(m_items.size()); }
    void Clear() { m_items.clear(); }

    void Sort();
    // A new key resets the direction to ascending; key 0 does not sort.
    void SetSortKey(int key);
    void SetAscending(bool ascending);
    // Both at once, without sorting (the caller sorts).
    void SetSortOrder(int key, bool ascending) { m_order.SetSortOrder(key, ascending); }
    int SortKey() const { return m_order.SortKey(); }
    bool Ascending() const { return m_order.Ascending(); }

    // Negative, 0 or positive. Voice parts follow their recording, ordered
    // by part number, whatever the key and direction.
    virtual int Compare(const TCustomSoundFileInfo& a, const TCustomSoundFileInfo& b) const;

private:
    int CompareRecordings(const TCustomSoundFileInfo& a, const TCustomSoundFileInfo& b) const;

    std::vector<std::shared_ptr<TItem>> m_items;
    TListSortState m_order;
};

// Rebuilds the list from the recorder's recordings in list order: one item
// per recording, with showVoiceParts its voice parts right behind it; then
// sorts with the list's key and direction.
void FillRecordList(TRecordList& list, const TSoundFileList* recordings, bool showVoiceParts);

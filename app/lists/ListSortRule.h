#pragma once

// What a column click makes of a list's sort order: the same key flips the
// direction; another key is taken and the direction stays as it was.
struct TSortOrder {
    int Key = 0;
    bool Ascending = true;

    bool operator==(const TSortOrder&) const = default;
};

constexpr TSortOrder SortOrderAfterClick(TSortOrder current, int clickedKey)
{
    if (clickedKey == current.Key)
        return {current.Key, !current.Ascending};
    return {clickedKey, current.Ascending};
}

// A list's sort key and direction under the rules every list sorts by: a new
// key resets the direction to ascending, and key 0 leaves the order as it is.
// The setters answer whether the list must sort now.
class TListSortState {
public:
    int SortKey() const { return m_key; }
    bool Ascending() const { return m_ascending; }

    bool SetSortKey(int key)
    {
        if (key == m_key)
            return false;
        m_key = key;
        m_ascending = true;
        return key != 0;
    }
    bool SetAscending(bool ascending)
    {
        if (ascending == m_ascending)
            return false;
        m_ascending = ascending;
        return m_key != 0;
    }
    // Both at once, without sorting (the caller sorts).
    void SetSortOrder(int key, bool ascending)
    {
        m_key = key;
        m_ascending = ascending;
    }
    // A comparison result in the list's direction.
    int Directed(int result) const { return m_ascending ? result : -result; }

private:
    int m_key = 0;
    bool m_ascending = true;
};

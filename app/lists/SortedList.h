#pragma once

#include <algorithm>
#include <vector>

#include "app/lists/ListSortRule.h"

// A list of items held by Holder (an owning or a shared pointer) that sorts
// by its derived class's comparison under the rules of TListSortState.
template <typename Item, typename Holder>
class TSortedList {
public:
    virtual ~TSortedList() = default;

    Item* Items(int index) const { return m_items[static_cast<std::size_t>(index)].get(); }
    int Count() const { return static_cast<int>(m_items.size()); }
    void Clear() { m_items.clear(); }

    void Sort()
    {
        std::sort(m_items.begin(), m_items.end(),
                  [this](const Holder& a, const Holder& b) { return CompareItems(*a, *b) < 0; });
    }
    // A new key resets the direction to ascending; key 0 does not sort.
    void SetSortKey(int key)
    {
        if (m_order.SetSortKey(key))
            Sort();
    }
    void SetAscending(bool ascending)
    {
        if (m_order.SetAscending(ascending))
            Sort();
    }
    // Both at once, without sorting (the caller sorts).
    void SetSortOrder(int key, bool ascending) { m_order.SetSortOrder(key, ascending); }
    int SortKey() const { return m_order.SortKey(); }
    bool Ascending() const { return m_order.Ascending(); }

protected:
    // Negative, 0 or positive, in the list's direction.
    virtual int CompareItems(const Item& a, const Item& b) const = 0;

    std::vector<Holder> m_items;
    TListSortState m_order;
};

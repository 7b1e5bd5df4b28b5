#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A list of items it owns, in insertion order. An index outside the list
// raises the class library's list-index error.
template <class T> class TOwnedList {
public:
    TOwnedList() = default;
    TOwnedList(const TOwnedList&) = delete;
    TOwnedList& operator=(const TOwnedList&) = delete;
    virtual ~TOwnedList() = default;

    int Count() const { return static_cast<int>(m_items.size()); }

    T* Item(int index) const
    {
        if (index < 0 || index >= Count())
            throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
        return m_items[static_cast<std::size_t>(index)].get();
    }
    T* GetItem(int index) const { return Item(index); }

    T* Add(std::unique_ptr<T> item)
    {
        m_items.push_back(std::move(item));
        return m_items.back().get();
    }

    // Puts the item before index (Count() appends).
    T* Insert(int index, std::unique_ptr<T> item)
    {
        if (index < 0 || index > Count())
            throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
        return m_items.insert(m_items.begin() + index, std::move(item))->get();
    }

    // Takes the item out of the list, to the caller.
    std::unique_ptr<T> Take(int index)
    {
        Item(index);
        std::unique_ptr<T> item = std::move(m_items[static_cast<std::size_t>(index)]);
        m_items.erase(m_items.begin() + index);
        return item;
    }

    // Frees every item, then empties the list.
    void Clear() { m_items.clear(); }

    // Frees the items from index on.
    void Truncate(int index)
    {
        if (index >= 0 && index < Count())
            m_items.erase(m_items.begin() + index, m_items.end());
    }

    // Sorts by less, keeping the order of equal items.
    template <class Less> void StableSort(Less less)
    {
        std::stable_sort(m_items.begin(), m_items.end(),
                         [&less](const std::unique_ptr<T>& a, const std::unique_ptr<T>& b) { return less(*a, *b); });
    }

protected:
    template <class Predicate> int IndexWhere(Predicate predicate) const
    {
        for (std::size_t i = 0; i < m_items.size(); ++i)
            if (predicate(*m_items[i]))
                return static_cast<int>(i);
        return -1;
    }

private:
    std::vector<std::unique_ptr<T>> m_items;
};

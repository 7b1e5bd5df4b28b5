#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/flash/SoundPage.h"

// A recording's pages in play order. A recording's list holds its pages;
// a voice part's list is a range of its recording's list, so both see the
// same entries and nothing is held twice. A range stays valid while its
// source lives and is not changed.
class TSoundPageList {
public:
    TSoundPageList() = default;
    TSoundPageList(const TSoundPageList&) = delete;
    TSoundPageList& operator=(const TSoundPageList&) = delete;

    int Count() const { return m_source ? m_count : static_cast<int>(m_pages.size()); }
    const TSoundPage* Item(int index) const
    {
        if (index < 0 || index >= Count())
            throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
        return m_source ? m_source->Item(m_first + index) : &m_pages[static_cast<std::size_t>(index)];
    }
    const TSoundPage& First() const { return *Item(0); }
    const TSoundPage& Last() const { return *Item(Count() - 1); }

    // Appends to a list of its own (not to a range).
    void Add(const TSoundPage& page)
    {
        if (m_source)
            throw std::logic_error("A voice part's pages are a range of its recording's");
        m_pages.push_back(page);
    }
    void Reserve(std::size_t count) { m_pages.reserve(count); }

    // Makes this list the range [first, first + count) of source.
    void SetRange(const TSoundPageList& source, int first, int count)
    {
        if (first < 0 || count < 0 || first + count > source.Count())
            throw std::out_of_range("Page range outside the recording");
        m_pages.clear();
        m_source = &source;
        m_first = first;
        m_count = count;
    }
    bool IsRange() const { return m_source != nullptr; }

    void Clear()
    {
        m_pages.clear();
        m_source = nullptr;
        m_first = m_count = 0;
    }

private:
    std::vector<TSoundPage> m_pages;
    const TSoundPageList* m_source = nullptr;
    int m_first = 0;
    int m_count = 0;
};

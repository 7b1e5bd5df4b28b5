#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "SoundPage.h"

// A recording's pages in play order. A voice part lists the same pages as
// its recording, so the list does not own them: the recording frees them.
class TSoundPageList {
public:
    int Count() const { return static_cast<int>(m_pages.size()); }
    void Add(TSoundPage* page) { m_pages.push_back(page); }
    TSoundPage* Item(int index) const
    {
        if (index < 0 || index >= Count())
            throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
        return m_pages[static_cast<std::size_t>(index)];
    }
    void Clear() { m_pages.clear(); }

private:
    std::vector<TSoundPage*> m_pages;
};

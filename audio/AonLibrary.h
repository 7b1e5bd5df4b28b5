#pragma once

#include <string>
#include <vector>

#include "audio/AonApi.h"

// "libaon.so" from the program folder, then by the default search path
// (which does not include the current folder).
std::vector<std::string> DefaultAonLibraryNames();

// The caller-ID decoder library, loaded for one use: the first of the names
// that loads with all three entry points; unloaded by the destructor.
class TAonLibrary {
public:
    TAonLibrary() : TAonLibrary(DefaultAonLibraryNames()) {}
    explicit TAonLibrary(const std::vector<std::string>& names);
    ~TAonLibrary();
    TAonLibrary(const TAonLibrary&) = delete;
    TAonLibrary& operator=(const TAonLibrary&) = delete;

    // Null when no library loaded, or none had every entry point.
    const TAonFunctions* Functions() const { return m_handle ? &m_functions : nullptr; }

private:
    void* m_handle = nullptr;
    TAonFunctions m_functions;
};

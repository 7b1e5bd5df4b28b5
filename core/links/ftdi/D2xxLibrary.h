#pragma once

#include <string>
#include <vector>

#include "core/links/ftdi/D2xxApi.h"

// Finding and loading the D2XX library at run time.

// The environment variable that names another library file (tests).
inline constexpr const char* kD2xxLibraryVariable = "TRELLAVOX_FTD2XX_LIBRARY";

// The file named by the variable when it is set and not empty; else
// "libftd2xx.so", then its versioned name.
std::vector<std::string> DefaultD2xxLibraryNames();

// A loaded library: the dlopen handle and the table filled by dlsym.
struct TD2xxLibrary {
    void* Handle = nullptr;
    d2xx::TD2xxFunctions Functions;
};

// Tries the names in order and keeps the first library that has every
// entry point the link calls; the others are resolved when present.
// False when none loads; a library missing a required entry point is
// unloaded again.
bool LoadD2xxLibrary(const std::vector<std::string>& names, TD2xxLibrary& library);

void UnloadD2xxLibrary(TD2xxLibrary& library);

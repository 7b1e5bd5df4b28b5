#pragma once

#include "core/flash/FlashGeometry.h"
#include "core/flash/ScanTexts.h"

// What the content scan works with besides the link: the flash geometry,
// the skip-silence setting and the texts taken before it started.
struct TScanContext {
    TFlashGeometry Geometry;
    bool SkipSilence = false;
    TScanTexts Texts;
};

#pragma once

#include <string>

#include "tests/support/ContentBuilder.h"
#include "tests/support/ImageBuilder.h"

// The small image the app tests share: 32 blocks, the content using 32
// pages of 2112 bytes (what the image link reports), data from block 1.
inline ImageBuilder SmallDemoImage()
{
    ImageBuilder image;
    image.Geometry(2048, 64, 32).Blocks(32).FirstDataBlock(1);
    return image;
}

inline ContentGeometry SmallDemoContentGeometry()
{
    ContentGeometry geometry;
    geometry.totalBlocks = 32;
    geometry.pagesPerBlock = 32;
    geometry.pageSize = 2112;
    geometry.firstDataBlock = 1;
    return geometry;
}

// A demo image for the list tests: recordings 1 and 3 with two voice parts
// each (3 is the oldest, 2 the newest), and flash-drive files in the root,
// in "SUB" and in "SUB\DEEP" (with their folder entries).
inline void WriteDemoContentImage(const std::string& path)
{
    ImageBuilder image = SmallDemoImage();
    ContentBuilder content(SmallDemoContentGeometry());
    const auto recording = [&](std::uint16_t number, std::uint32_t start, bool parts) {
        RecordingSpec spec;
        spec.number = number;
        spec.start = start;
        spec.blockCount = 2;
        if (parts) {
            BreakSpec brk;
            brk.block = 0;
            brk.page = 10;
            spec.breaks = {brk};
        }
        content.AddRecording(spec);
    };
    recording(1, 1700000000, true);
    recording(2, 1700100000, false);
    recording(3, 1699900000, true);
    const auto file = [&](std::uint16_t number, const char16_t* name, std::size_t bytes, bool folder) {
        DriveFileSpec spec;
        spec.number = number;
        spec.name = name;
        spec.folder = folder;
        spec.data.assign(bytes, 0x41);
        content.AddDriveFile(spec);
    };
    file(1, u"ROOT.TXT", 100, false);
    file(2, u"SUB", 0, true);
    file(3, u"SUB\\INNER.BIN", 3000, false);
    file(4, u"SUB\\DEEP", 0, true);
    file(5, u"SUB\\DEEP\\X.TXT", 1025, false);
    content.WriteTo(image);
    image.Write(path);
}

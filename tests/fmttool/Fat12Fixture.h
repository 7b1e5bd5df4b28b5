#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fmttool/Fat12Image.h"
#include "tests/support/TempDir.h"

// The clock every test image carries: 2024-03-15 13:45:38.
SYSTEMTIME Fat12TestTime();

// One live entry of a directory as the walk reads it.
struct Fat12Listed {
    std::string name;
    std::string longName;
    TFat12RawEntry entry;
    std::uint64_t offset;
};

// Every live entry of a directory (1: the root), "." and ".." included.
std::vector<Fat12Listed> Fat12List(const TFat12Image& image, std::uint16_t directory);
// The file's bytes, following its chain.
std::vector<std::uint8_t> Fat12ReadBack(const TFat12Image& image, const std::string& path);
// The clusters of a chain.
std::vector<std::uint16_t> Fat12Chain(const TFat12Image& image, std::uint16_t first);
std::vector<std::uint8_t> Fat12Bytes(std::size_t count, std::uint8_t seed);

// A new empty image of totalSectors sectors, open for editing.
class Fat12Fixture : public ::testing::Test {
protected:
    void MakeImage(std::uint32_t bytesPerSector, std::uint32_t totalSectors);
    // Closes the image and checks that both FATs on disk are equal.
    void CloseAndCheckFats();
    std::vector<std::uint8_t> ImageBytes() const;
    // Creates and fills a file in the image.
    void WriteFile(const std::string& directory, const std::string& shortName, const std::vector<std::uint8_t>& data,
                   const std::optional<std::string>& longName = std::nullopt);

    TempDir dir;
    std::string path = dir.File("test.img");
    TFat12BootSector boot;
    TFat12Image image{Fat12TestTime};
};

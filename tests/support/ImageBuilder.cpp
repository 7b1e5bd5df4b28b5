#include "tests/support/ImageBuilder.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "core/links/image/ImageHeader.h"
#include "core/protocol/RecorderCommands.h"

ImageBuilder& ImageBuilder::Geometry(std::uint16_t pageSize, std::uint8_t spareBytes, std::uint16_t pagesPerBlock)
{
    m_pageSize = pageSize;
    m_spare = spareBytes;
    m_pagesPerBlock = pagesPerBlock;
    return *this;
}

ImageBuilder& ImageBuilder::Blocks(std::uint32_t blocksInFile)
{
    m_blocks = blocksInFile;
    return *this;
}

ImageBuilder& ImageBuilder::FirstImageBlock(std::uint32_t block)
{
    m_firstImageBlock = block;
    return *this;
}

ImageBuilder& ImageBuilder::FirstDataBlock(std::uint16_t block)
{
    HeaderByte(image_header::kFirstDataBlock, static_cast<std::uint8_t>(block));
    return HeaderByte(image_header::kFirstDataBlock + 1, static_cast<std::uint8_t>(block >> 8));
}

ImageBuilder& ImageBuilder::DataStart(std::uint64_t offset)
{
    m_dataStart = offset;
    return *this;
}

ImageBuilder& ImageBuilder::Firmware(std::uint8_t major, std::uint8_t minor)
{
    HeaderByte(image_header::kFirmwareMajor, major);
    return HeaderByte(image_header::kFirmwareMinor, minor);
}

ImageBuilder& ImageBuilder::SerialNumber(std::uint32_t serial)
{
    for (std::size_t i = 0; i < 4; ++i)
        HeaderByte(image_header::kSerialNumber + i, static_cast<std::uint8_t>(serial >> (8 * i)));
    return *this;
}

ImageBuilder& ImageBuilder::Password(const std::array<std::uint8_t, 7>& password)
{
    for (std::size_t i = 0; i < password.size(); ++i)
        HeaderByte(image_header::kPassword + i, password[i]);
    return *this;
}

ImageBuilder& ImageBuilder::HeaderByte(std::size_t offset, std::uint8_t value)
{
    m_headerBytes[offset] = value;
    return *this;
}

ImageBuilder& ImageBuilder::Owner(std::uint32_t block, std::uint16_t owner)
{
    auto& page = m_pages[{block, 0}];
    if (page.size() < 2)
        page.resize(2, 0xFF);
    PutU16(page.data(), owner);
    return *this;
}

ImageBuilder& ImageBuilder::Page(std::uint32_t block, std::uint32_t page, std::vector<std::uint8_t> bytes)
{
    m_pages[{block, page}] = std::move(bytes);
    return *this;
}

ImageBuilder& ImageBuilder::WithoutMagic()
{
    m_magic = false;
    return *this;
}

ImageBuilder& ImageBuilder::CorruptCrc()
{
    m_corruptCrc = true;
    return *this;
}

std::uint64_t ImageBuilder::PageOffset(std::uint32_t block, std::uint32_t page) const
{
    if (block < m_firstImageBlock)
        throw std::invalid_argument("block below the first image block");
    return DataStartOffset() + (block - m_firstImageBlock) * BlockStride() + std::uint64_t{page} * PageStride();
}

std::array<std::uint8_t, 512> ImageBuilder::Header() const
{
    std::array<std::uint8_t, 512> header;
    header.fill(0xFF);
    PutU16(header.data() + image_header::kFirstDataBlock, 1);
    PutU16(header.data() + image_header::kPageStride, static_cast<std::uint16_t>(PageStride()));
    PutU16(header.data() + image_header::kPagesPerBlock, m_pagesPerBlock);
    PutU32(header.data() + image_header::kFirstImageBlock, m_firstImageBlock);
    header[image_header::kFirmwareMajor] = 10;
    header[image_header::kFirmwareMinor] = 0;
    for (const auto& [offset, value] : m_headerBytes)
        header.at(offset) = value;
    std::uint16_t crc = ImageHeaderCrc(header.data());
    if (m_corruptCrc)
        crc ^= 0x0101;
    PutU16(header.data() + image_header::kCrc, crc);
    return header;
}

std::vector<std::uint8_t> ImageBuilder::Bytes() const
{
    std::vector<std::uint8_t> file(FileSize(), 0);
    const auto header = Header();
    std::copy(header.begin(), header.end(), file.begin());
    std::fill(file.begin() + static_cast<std::ptrdiff_t>(DataStartOffset()), file.end(), std::uint8_t{0xFF});
    for (const auto& [where, bytes] : m_pages) {
        const std::uint64_t at = PageOffset(where.first, where.second);
        if (bytes.size() > PageStride() || at + bytes.size() > file.size())
            throw std::invalid_argument("page outside the image");
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
    }
    if (m_magic && DataStartOffset() + ImageMagic.size() <= file.size())
        std::copy(ImageMagic.begin(), ImageMagic.end(), file.begin() + static_cast<std::ptrdiff_t>(DataStartOffset()));
    return file;
}

void ImageBuilder::Write(const std::string& path) const
{
    const std::vector<std::uint8_t> bytes = Bytes();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write the image " + path);
}

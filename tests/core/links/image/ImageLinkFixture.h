#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/links/LinkGeometry.h"
#include "core/links/image/ImageEmulator.h"
#include "core/protocol/RecorderCommands.h"
#include "tests/support/TempDir.h"

// A temporary folder and a clean image link for every test.
class ImageLinkFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetImageEmulator();
        ResetLinkGeometry();
    }
    void TearDown() override
    {
        ResetImageEmulator();
        ResetLinkGeometry();
    }

    std::string File(const std::string& name) const { return m_dir.File(name); }
    static QString Q(const std::string& path) { return QString::fromStdString(path); }

    // One command through the image link with the reply length of its code.
    static std::vector<std::uint8_t> Run(std::uint8_t code, const std::vector<std::uint8_t>& request = {})
    {
        const PayloadGeometry geometry{LinkGeometry.pageStride, LinkGeometry.pagesPerBlock};
        const std::uint32_t length =
            CommandReplyLength(code, geometry, request.data(), static_cast<std::uint32_t>(request.size())).value_or(0);
        std::vector<std::uint8_t> reply(length);
        ImageExecute(code, request.data(), static_cast<std::uint32_t>(request.size()), reply.data(), length, 300);
        return reply;
    }

    static std::vector<std::uint8_t> PartsRequest(std::uint32_t pageAddr, std::uint16_t offset, std::uint16_t count,
                                                  std::uint16_t addrInc, std::uint16_t cycles)
    {
        std::vector<std::uint8_t> out(PartsOfPagesRequest::kSize);
        PartsOfPagesRequest{pageAddr, offset, count, addrInc, cycles}.Serialize(out.data());
        return out;
    }

    static std::vector<std::uint8_t> ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::vector<std::uint8_t> bytes(std::filesystem::exists(path) ? std::filesystem::file_size(path) : 0);
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }

    static std::vector<std::uint8_t> U16(std::uint16_t v)
    {
        std::vector<std::uint8_t> out(2);
        PutU16(out.data(), v);
        return out;
    }
    static std::vector<std::uint8_t> U32(std::uint32_t v)
    {
        std::vector<std::uint8_t> out(4);
        PutU32(out.data(), v);
        return out;
    }

private:
    TempDir m_dir;
};

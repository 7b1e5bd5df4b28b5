#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Lays out a RIFF file byte by byte, so a test can build layouts our writer
// never makes: chunks in any order, sizes that lie, missing pads, cut files.
//   auto bytes = WavBuilder().Fmt(WavBuilder::PcmFmt(1, 8000, 16)).Data({1, 2}).Build();
class WavBuilder {
public:
    using Bytes = std::vector<std::uint8_t>;

    // A chunk with its body; claimedSize stands in the header instead of the
    // body's size. Odd bodies get a pad byte unless pad is false.
    WavBuilder& Chunk(const std::string& id, const Bytes& body, std::optional<std::uint32_t> claimedSize = {},
                      bool pad = true);
    WavBuilder& Chunk(std::uint32_t id, const Bytes& body, std::optional<std::uint32_t> claimedSize = {},
                      bool pad = true);
    WavBuilder& Fmt(const Bytes& body) { return Chunk("fmt ", body); }
    WavBuilder& Data(const Bytes& body) { return Chunk("data", body); }
    // Bytes appended as they are.
    WavBuilder& Raw(const Bytes& bytes);
    // The RIFF header's size field (default: what follows it) and form type.
    WavBuilder& RiffSize(std::uint32_t size);
    WavBuilder& Form(const std::string& form);

    Bytes Build() const;
    void Save(const std::string& path) const;

    // The 16-byte 'fmt ' body of a PCM format, or of any tag with extra bytes.
    static Bytes PcmFmt(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits);
    static Bytes FmtBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                         std::size_t size = 16);
    static Bytes Counting(std::size_t count);  // 0, 1, 2, ... mod 256

private:
    Bytes m_body;
    std::optional<std::uint32_t> m_riffSize;
    std::string m_form = "WAVE";
};

// Reading a file back whole, for layout checks.
WavBuilder::Bytes ReadFileBytes(const std::string& path);
std::uint32_t U32At(const WavBuilder::Bytes& bytes, std::size_t at);
std::uint16_t U16At(const WavBuilder::Bytes& bytes, std::size_t at);

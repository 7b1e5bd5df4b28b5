#include "tests/support/WavBuilder.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

void PutU32(WavBuilder::Bytes& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutU16(WavBuilder::Bytes& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

std::uint32_t IdOf(const std::string& id)
{
    if (id.size() != 4)
        throw std::invalid_argument("a chunk id has four characters");
    return static_cast<std::uint8_t>(id[0]) | static_cast<std::uint8_t>(id[1]) << 8 |
           static_cast<std::uint8_t>(id[2]) << 16 | static_cast<std::uint32_t>(static_cast<std::uint8_t>(id[3])) << 24;
}

}  // namespace

WavBuilder& WavBuilder::Chunk(const std::string& id, const Bytes& body, std::optional<std::uint32_t> claimedSize,
                              bool pad)
{
    return Chunk(IdOf(id), body, claimedSize, pad);
}

WavBuilder& WavBuilder::Chunk(std::uint32_t id, const Bytes& body, std::optional<std::uint32_t> claimedSize, bool pad)
{
    PutU32(m_body, id);
    PutU32(m_body, claimedSize.value_or(static_cast<std::uint32_t>(body.size())));
    m_body.insert(m_body.end(), body.begin(), body.end());
    if (pad && body.size() % 2)
        m_body.push_back(0);
    return *this;
}

WavBuilder& WavBuilder::Raw(const Bytes& bytes)
{
    m_body.insert(m_body.end(), bytes.begin(), bytes.end());
    return *this;
}

WavBuilder& WavBuilder::RiffSize(std::uint32_t size)
{
    m_riffSize = size;
    return *this;
}

WavBuilder& WavBuilder::Form(const std::string& form)
{
    m_form = form;
    return *this;
}

WavBuilder::Bytes WavBuilder::Build() const
{
    Bytes out;
    PutU32(out, IdOf("RIFF"));
    PutU32(out, m_riffSize.value_or(static_cast<std::uint32_t>(m_body.size() + 4)));
    PutU32(out, IdOf(m_form));
    out.insert(out.end(), m_body.begin(), m_body.end());
    return out;
}

void WavBuilder::Save(const std::string& path) const
{
    const Bytes bytes = Build();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

WavBuilder::Bytes WavBuilder::FmtBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                                      std::size_t size)
{
    Bytes out;
    const std::uint16_t align = static_cast<std::uint16_t>((bits + 7) / 8 * channels);
    PutU16(out, tag);
    PutU16(out, channels);
    PutU32(out, rate);
    PutU32(out, align * rate);
    PutU16(out, align);
    PutU16(out, bits);
    out.resize(size, 0);
    return out;
}

WavBuilder::Bytes WavBuilder::PcmFmt(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits)
{
    return FmtBody(1, channels, rate, bits);
}

WavBuilder::Bytes WavBuilder::Counting(std::size_t count)
{
    Bytes out(count);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<std::uint8_t>(i);
    return out;
}

WavBuilder::Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    return WavBuilder::Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint32_t U32At(const WavBuilder::Bytes& bytes, std::size_t at)
{
    return bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 |
           static_cast<std::uint32_t>(bytes.at(at + 3)) << 24;
}

std::uint16_t U16At(const WavBuilder::Bytes& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes.at(at) | bytes.at(at + 1) << 8);
}

#include "fmttool/ScsiCdb.h"

namespace passthrough {

namespace {

constexpr std::uint8_t kInquiry = 0x12;
constexpr std::uint8_t kReadCapacity10 = 0x25;
constexpr std::uint8_t kRead10 = 0x28;

}  // namespace

// Peripheral qualifier and type, removable, version, format, additional
// length, flags; vendor "Tarv " and product "Mass Storage " are each ended by
// a zero and padded with two blanks.
const std::array<std::uint8_t, kInquiryLength> Q71InquiryAnswer = {
    0x00, 0x80, 0x05, 0x02, 0x20, 0x00, 0x80, 0x00,                           //
    'T',  'a',  'r',  'v',  ' ',  0x00, ' ',  ' ',                            //
    'M',  'a',  's',  's',  ' ',  'S',  't',  'o',  'r', 'a', 'g', 'e', ' ',  //
    0x00, ' ',  ' ',                                                          //
    0x00, 0x00, 0x00, 0x00,
};

void PutBigEndian16(std::uint8_t* out, std::uint16_t value)
{
    out[0] = static_cast<std::uint8_t>(value >> 8);
    out[1] = static_cast<std::uint8_t>(value);
}

void PutBigEndian32(std::uint8_t* out, std::uint32_t value)
{
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

std::uint32_t GetBigEndian32(const std::uint8_t* in)
{
    return std::uint32_t{in[0]} << 24 | std::uint32_t{in[1]} << 16 | std::uint32_t{in[2]} << 8 | in[3];
}

TCdb InquiryCdb()
{
    TCdb cdb{};
    cdb[0] = kInquiry;
    PutBigEndian16(&cdb[3], kInquiryLength);
    return cdb;
}

TCdb ReadCapacityCdb()
{
    TCdb cdb{};
    cdb[0] = kReadCapacity10;
    return cdb;
}

TCdb Read10Cdb(std::uint32_t blockAddress, std::uint16_t blockCount)
{
    TCdb cdb{};
    cdb[0] = kRead10;
    PutBigEndian32(&cdb[2], blockAddress);
    PutBigEndian16(&cdb[7], blockCount);
    return cdb;
}

std::uint32_t BlockLengthOf(const std::uint8_t* answer)
{
    return GetBigEndian32(answer + 4);
}

}  // namespace passthrough

#include "fmttool/Fat12LongName.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Positions of the 13 UTF-16 units inside a long-name entry.
constexpr std::array<std::uint8_t, kFat12LfnUnits> kUnitOffsets{1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};

// UTF-8 lead bytes: which bits tell the kind, the sequence length, and the
// smallest code point the length may carry (anything less is overlong).
struct Utf8Lead {
    unsigned char mask, value;
    std::size_t length;
    char32_t minimum;
};
constexpr Utf8Lead kUtf8Leads[] = {
    {0x80, 0x00, 1, 0}, {0xE0, 0xC0, 2, 0x80}, {0xF0, 0xE0, 3, 0x800}, {0xF8, 0xF0, 4, 0x10000}};

void ReportError(const char* message, int error)
{
    errno = error;
    std::perror(message);
}

char FoldAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::uint8_t LfnChecksum(const std::uint8_t* shortName)
{
    std::uint8_t sum = 0;
    for (int i = 0; i < 11; ++i)
        sum = static_cast<std::uint8_t>(((sum & 1) << 7) + (sum >> 1) + shortName[i]);
    return sum;
}

std::optional<std::vector<TFat12RawEntry>> BuildLfnChain(const std::string& longName, std::uint8_t checksum)
{
    const std::optional<std::u16string> units = Fat12Utf8ToUtf16(longName);
    if (!units) {
        char message[96];
        std::snprintf(message, sizeof message, "\nutf8to16() error: illegal filename length %d",
                      static_cast<int>(longName.size()));
        ReportError(message, EILSEQ);
        return std::nullopt;
    }
    if (units->empty() || units->size() > kFat12MaxLongName) {
        ReportError("\ngenerate lfn chain() error: illegal filename length", units->empty() ? EINVAL : ENAMETOOLONG);
        return std::nullopt;
    }

    const std::size_t pieces = (units->size() + kFat12LfnUnits - 1) / kFat12LfnUnits;
    std::vector<TFat12RawEntry> chain(pieces);
    for (std::size_t piece = 0; piece < pieces; ++piece) {
        TFat12RawEntry& entry = chain[pieces - 1 - piece];
        entry.fill(0);
        entry[0] = static_cast<std::uint8_t>(piece + 1);
        if (piece == pieces - 1)
            entry[0] |= kFat12LfnLastFlag;
        entry[11] = kFat12LfnAttribute;
        entry[13] = checksum;
        for (std::size_t i = 0; i < kFat12LfnUnits; ++i) {
            const std::size_t at = piece * kFat12LfnUnits + i;
            const std::uint16_t unit = at < units->size() ? (*units)[at] : at == units->size() ? 0x0000 : 0xFFFF;
            entry[kUnitOffsets[i]] = static_cast<std::uint8_t>(unit);
            entry[kUnitOffsets[i] + 1] = static_cast<std::uint8_t>(unit >> 8);
        }
    }
    return chain;
}

std::array<char16_t, kFat12LfnUnits> LfnEntryUnits(const TFat12RawEntry& entry)
{
    std::array<char16_t, kFat12LfnUnits> units{};
    for (std::size_t i = 0; i < kFat12LfnUnits; ++i)
        units[i] = static_cast<char16_t>(entry[kUnitOffsets[i]] | entry[kUnitOffsets[i] + 1] << 8);
    return units;
}

bool IsValidLongName(const std::string& name)
{
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || std::strchr("\"*/:<>?\\|", c))
            return false;
    }
    return true;
}

std::optional<std::u16string> Fat12Utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto kind = std::find_if(std::begin(kUtf8Leads), std::end(kUtf8Leads),
                                       [lead](const Utf8Lead& l) { return (lead & l.mask) == l.value; });
        if (kind == std::end(kUtf8Leads))
            return std::nullopt;
        const std::size_t length = kind->length;
        char32_t code = lead & ~kind->mask & 0xFF;
        if (i + length > text.size())
            return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            code = code << 6 | (next & 0x3F);
        }
        if (code < kind->minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return std::nullopt;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += length;
    }
    return out;
}

std::string Fat12Utf16ToUtf8(const std::u16string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (code >= 0xD800 && code <= 0xDFFF)
            code = 0xFFFD;
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

bool Fat12SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

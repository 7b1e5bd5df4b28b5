// Build-time tool: turns the built-in constants table into the constants
// stream (version 3, auto-save on, pairs sorted by name) and writes it as a
// C++ source file holding one byte array.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

struct TEntry {
    std::u16string_view name;
    std::u16string_view text;
};

const TEntry kTable[] = {
#define LANG_CONST(name, text) {u## #name, text},
#include "localizer/BuiltInLangConsts.inc"
#undef LANG_CONST
};

char16_t FoldAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool NameLess(std::u16string_view a, std::u16string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char16_t x, char16_t y) { return FoldAscii(x) < FoldAscii(y); });
}

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void PutString(std::vector<std::uint8_t>& out, std::u16string_view text)
{
    PutU16(out, static_cast<std::uint32_t>(text.size()));
    for (char16_t c : text)
        PutU16(out, c);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s output.cpp\n", argv[0]);
        return 2;
    }
    std::vector<TEntry> entries(std::begin(kTable), std::end(kTable));
    std::sort(entries.begin(), entries.end(),
              [](const TEntry& a, const TEntry& b) { return NameLess(a.name, b.name); });
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (!NameLess(entries[i - 1].name, entries[i].name)) {
            std::fprintf(stderr, "duplicate constant in the built-in table\n");
            return 1;
        }
    }
    for (const TEntry& e : entries) {
        if (e.text.size() > 0xFFFF) {
            std::fprintf(stderr, "constant text too long\n");
            return 1;
        }
    }

    std::vector<std::uint8_t> stream;
    stream.push_back(3); // version
    stream.push_back(1); // auto-save
    const auto count = static_cast<std::uint32_t>(entries.size());
    for (int shift = 0; shift < 32; shift += 8)
        stream.push_back(static_cast<std::uint8_t>((count >> shift) & 0xFF));
    for (const TEntry& e : entries) {
        PutString(stream, e.name);
        PutString(stream, e.text);
    }

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "// Generated from BuiltInLangConsts.inc at build time; do not edit.\n"
           "#include \"localizer/LangConstsResource.h\"\n\n"
           "namespace {\n"
           "const unsigned char kStream[] = {";
    for (std::size_t i = 0; i < stream.size(); ++i) {
        if (i % 16 == 0)
            out << "\n   ";
        out << ' ' << static_cast<unsigned>(stream[i]) << ',';
    }
    out << "\n};\n}  // namespace\n\n"
           "QByteArray BuiltInLangConstsResource()\n"
           "{\n"
           "    return QByteArray::fromRawData(reinterpret_cast<const char*>(kStream), sizeof(kStream));\n"
           "}\n";
    out.close();
    return out ? 0 : 1;
}

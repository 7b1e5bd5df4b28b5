#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "fmttool/Fat12LongName.h"

namespace {

std::u16string UnitsOf(const TFat12RawEntry& entry)
{
    const auto units = LfnEntryUnits(entry);
    return {units.begin(), units.end()};
}

std::string ErrorOf(const std::string& name)
{
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(BuildLfnChain(name, 0));
    return ::testing::internal::GetCapturedStderr();
}

}  // namespace

TEST(Fat12LongName, ChecksumOfTheShortName)
{
    EXPECT_EQ(LfnChecksum(reinterpret_cast<const std::uint8_t*>("README  TXT")), 0x73);
    EXPECT_EQ(LfnChecksum(reinterpret_cast<const std::uint8_t*>("LONGFI~1TXT")), 0xD4);
}

TEST(Fat12LongName, ThirteenCharactersFillOneEntryWithoutTerminator)
{
    const auto chain = BuildLfnChain("abcdefghij.kl", 0x5A);
    ASSERT_TRUE(chain);
    ASSERT_EQ(chain->size(), 1u);
    const TFat12RawEntry& e = chain->front();
    EXPECT_EQ(e[0], 0x41);
    EXPECT_EQ(e[11], 0x0F);
    EXPECT_EQ(e[12], 0);
    EXPECT_EQ(e[13], 0x5A);
    EXPECT_EQ(e[26], 0);
    EXPECT_EQ(e[27], 0);
    EXPECT_EQ(UnitsOf(e), u"abcdefghij.kl");
}

TEST(Fat12LongName, FourteenCharactersTakeTwoEntriesLastPieceFirst)
{
    const auto chain = BuildLfnChain("abcdefghij.klm", 0x11);
    ASSERT_TRUE(chain);
    ASSERT_EQ(chain->size(), 2u);
    EXPECT_EQ((*chain)[0][0], 0x42);
    EXPECT_EQ(UnitsOf((*chain)[0]), (std::u16string{u'm', 0x0000, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
                                                    0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}));
    EXPECT_EQ((*chain)[1][0], 0x01);
    EXPECT_EQ(UnitsOf((*chain)[1]), u"abcdefghij.kl");
    for (const TFat12RawEntry& e : *chain)
        EXPECT_EQ(e[13], 0x11);
}

TEST(Fat12LongName, NonAsciiNamesBecomeUtf16)
{
    const auto chain = BuildLfnChain("Grüße \xF0\x9F\x8E\xB5.wav", 0);  // with U+1F3B5, a surrogate pair
    ASSERT_TRUE(chain);
    EXPECT_EQ(UnitsOf(chain->front()), (std::u16string{u'G', u'r', u'\u00FC', u'\u00DF', u'e', u' ', 0xD83C, 0xDFB5,
                                                       u'.', u'w', u'a', u'v', 0x0000}));
    EXPECT_EQ(Fat12Utf16ToUtf8(*Fat12Utf8ToUtf16("Grüße \xF0\x9F\x8E\xB5.wav")), "Grüße \xF0\x9F\x8E\xB5.wav");
    // 255 units is the most a name may hold.
    EXPECT_EQ(BuildLfnChain(std::string(255, 'x'), 0)->size(), 20u);
}

TEST(Fat12LongName, BadLengthsAndBadUtf8PrintTheirErrors)
{
    EXPECT_EQ(ErrorOf(""),
              std::string("\ngenerate lfn chain() error: illegal filename length: ") + std::strerror(EINVAL) + "\n");
    EXPECT_EQ(ErrorOf(std::string(256, 'x')), std::string("\ngenerate lfn chain() error: illegal filename length: ") +
                                                  std::strerror(ENAMETOOLONG) + "\n");
    EXPECT_EQ(ErrorOf("bad\xC3(.txt"),
              std::string("\nutf8to16() error: illegal filename length 9: ") + std::strerror(EILSEQ) + "\n");
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "abc\xE2\x82"})
        EXPECT_FALSE(Fat12Utf8ToUtf16(bad)) << bad;
}

TEST(Fat12LongName, CharactersALongNameMayNotHold)
{
    for (const char* good : {"a b.c.d", "x+y,z;=[]", "Grüße.txt", "~$tmp"})
        EXPECT_TRUE(IsValidLongName(good)) << good;
    for (const char* bad : {"a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "a\\b", "a/b", "a\tb", "a\x7F"})
        EXPECT_FALSE(IsValidLongName(bad)) << bad;
}

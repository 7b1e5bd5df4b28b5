#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/WaveFileInfo.h"
#include "tests/support/ParamName.h"

namespace {

struct CallCase {
    const char* name;
    std::vector<std::uint16_t> words;  // the rest of the 128 stay 0
    std::u16string expected;
};

void PrintTo(const CallCase& c, std::ostream* os)
{
    *os << c.name;
}

const std::u16string k124Zeros(124, u'0');
const std::u16string k122Zeros(122, u'0');

const CallCase kCalls[] = {
    {"no call", {0, 3, 2, 1, 5, 5}, u""},
    {"input call only", {1, 0, 0}, u"Input call\n"},
    {"any other kind is input", {7, 0, 0}, u"Input call\n"},
    {"output call", {2, 0, 0}, u"Output call\n"},
    {"pulse digits", {1, 4, 0, 0, 1, 2, 3}, u"Input call\nPulse number: 123\n"},
    {"DTMF digits", {2, 3, 0, 5, 0, 9}, u"Output call\nDTMF number: 09\n"},
    {"DTMF marker alone", {1, 1, 0, 5}, u"Input call\nDTMF number: \n"},
    {"Russian AON", {1, 0, 4, 0, 4, 9, 5}, u"Input call\nRussian AON: 495\n"},
    {"digits and Russian AON", {1, 2, 3, 0, 7, 0, 1, 2}, u"Input call\nPulse number: 7\nRussian AON: 12\n"},
    {"caller ID types 1 2 7 and another",
     {1, 0, 17, 1, 1, 2, 12, 5, 2, 3, 7, 8, 9, 7, 1, 65, 9, 2, 65535, 0},
     u"Input call\nCaller ID\n"
     u"Name parameter: Date and time: 2\n125\n"
     u"Name parameter: Call identifier: 3\n789\n"
     u"Name parameter: Call name: 1\n65\n"
     u"Name parameter: 9 2\n655350\n"},
    {"caller ID with no parameters", {1, 0, 1, 1}, u"Input call\nCaller ID\n"},
    // Lengths and counts the library gives are not trusted.
    {"L1 500 reads to the end of the result", {1, 500, 3, 1}, u"Input call\nDTMF number: " + k124Zeros + u"\n"},
    {"n past L2", {1, 0, 5, 1, 1, 50, 4, 5, 6, 6}, u"Input call\nCaller ID\nName parameter: Date and time: 50\n45\n"},
    {"count word outside L2", {1, 0, 2, 1, 7, 3}, u"Input call\nCaller ID\n"},
    {"L2 past the result",
     {1, 0, 1000, 1, 2, 60000},
     u"Input call\nCaller ID\nName parameter: Call identifier: 60000\n" + k122Zeros + u"\n"},
    {"Russian AON past the result", {1, 0, 65535, 0}, u"Input call\nRussian AON: " + k124Zeros + u"\n"},
};

class CallTextTest : public ::testing::TestWithParam<CallCase> {};

}  // namespace

TEST_P(CallTextTest, TheResultIsReadAsTheLayoutSays)
{
    TAonResult result{};
    std::copy(GetParam().words.begin(), GetParam().words.end(), result.begin());
    EXPECT_EQ(CallText(result).toStdU16String(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Results, CallTextTest, ::testing::ValuesIn(kCalls), PrintedParamName());

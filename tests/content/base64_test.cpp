// Base64: groups, padding, what is skipped and what spoils the data.
#include <gtest/gtest.h>

#include "content/base64.hpp"

namespace pelicard {
namespace {

struct Case {
    const char* name;
    std::string in;
    std::string out;
};

class Base64Cases : public ::testing::TestWithParam<Case> {};

TEST_P(Base64Cases, Decode) { EXPECT_EQ(Base64Decode(GetParam().in), GetParam().out); }

const Case kCases[] = {
    {"ThreeBytes", "QUJD", "ABC"},
    {"OnePad", "QUI=", "AB"},
    {"TwoPads", "QQ==", "A"},
    {"PaddedGroupInTheMiddle", "QQ==QUJD", "AABC"},
    {"LineBreaksTabsSpaces", "QU JD\r\n\tREVG \r\n", "ABCDEF"},
    {"HighBytes", "w6k=", "\xC3\xA9"},
    {"TrailingLineBreakDropped", "QUJDDQo=", "ABC"},
    {"TrailingNulDropped", "QQA=", "A"},
    {"OnlyControls", "DQo=", ""},
    {"InnerControlsKept", "QQ1C", "A\rB"},
    {"Empty", "", ""},
    // Anything that is not data spoils the whole text.
    {"LengthNotMultipleOfFour", "QUJ", ""},
    {"StrayCharacter", "QU*D", ""},
    {"LoneLineFeed", "QU\nJD", ""},
    {"DelimiterLineLeftIn", "QUJD\r\n--limite\r\n", ""},
    {"UrlSafeAlphabetIsNotBase64", "QU-_", ""},
};

INSTANTIATE_TEST_SUITE_P(Base64Decode, Base64Cases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pelicard

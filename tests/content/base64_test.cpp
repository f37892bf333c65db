// Base64: groups, padding, what is skipped and what spoils the data; and
// real sample bodies through base64 and the character repair.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/state.hpp"
#include "common/text.hpp"
#include "content/base64.hpp"
#include "content/decode.hpp"

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

// Real messages of the sample folder: the repair rows against true decoders.
std::string SampleBody(const char* name) {
    std::ifstream in(std::string(PELICARD_SAMPLES) + "/wm/Archives/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string all = ss.str();
    const std::size_t blank = all.find("\r\n\r\n");
    return blank == std::string::npos ? std::string() : all.substr(blank + 4);
}

std::string WithCrCrLf(std::string t) {
    std::string out;
    for (char c : t) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return TrimSpaces(out);
}

// A base64 UTF-8 body, repaired by the UTF-8 rows, reads as a true UTF-8
// decoder reads it (line ends aside).
TEST(SampleBodies, Base64Utf8RepairedLikeAUtf8Decoder) {
    const std::string body = SampleBody("synth_000016.eml");
    ASSERT_FALSE(body.empty());
    const std::string bytes = Base64Decode(body);
    ASSERT_NE(bytes.find("\xC5\x93"), std::string::npos);  // "œ" and "€" are in it
    ASSERT_NE(bytes.find("\xE2\x82\xAC"), std::string::npos);
    State s;
    s.texts.IsUtf8 = true;
    EXPECT_EQ(Decode(s, bytes), WithCrCrLf(Utf8ToCp1252(bytes)));
}

// A quoted-printable Windows-1252 part, repaired by the single-byte rows,
// reads as a strict quoted-printable decoder reads it, "€" spelt "Euro".
TEST(SampleBodies, QuotedPrintableLikeAStrictDecoder) {
    const std::string body = SampleBody("synth_000001.eml");
    const std::size_t start = body.find("\r\n\r\n", body.find("text/plain")) + 4;
    const std::size_t end = body.find("\r\n------=_NextPart", start);
    ASSERT_NE(end, std::string::npos);
    const std::string part = body.substr(start, end - start);
    std::string strict;
    for (std::size_t i = 0; i < part.size(); ++i) {
        if (part[i] == '=' && part.compare(i + 1, 2, "\r\n") == 0) {
            i += 2;
        } else if (part[i] == '=' && i + 2 < part.size()) {
            strict += static_cast<char>(std::stoi(part.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            strict += part[i];
        }
    }
    ASSERT_NE(strict.find('\x80'), std::string::npos);
    State s;
    s.texts.IsUtf8 = false;
    EXPECT_EQ(Decode(s, part), WithCrCrLf(ReplaceExact(strict, "\x80", "Euro")));
}

}  // namespace
}  // namespace pelicard

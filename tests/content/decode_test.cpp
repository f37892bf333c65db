// Character repair: the rows whose order matters, both branches, and the
// row engine's presence index against plain one-row-after-the-other
// replacement.
#include <gtest/gtest.h>

#include <random>

#include "common/state.hpp"
#include "common/text.hpp"
#include "content/decode.hpp"
#include "content/decode_rows.hpp"

namespace pelicard {
namespace {

struct Case {
    const char* name;
    std::string in;
    bool utf8;
    std::string out;
};

class DecodeRows : public ::testing::TestWithParam<Case> {};

TEST_P(DecodeRows, GivesTheRepairedText) {
    const Case& c = GetParam();
    State s;
    s.texts.IsUtf8 = c.utf8;
    EXPECT_EQ(Decode(s, c.in), c.out);
    EXPECT_EQ(s.texts.IsUtf8, c.utf8);  // never reset
}

const Case kCases[] = {
    // Fixed repairs run before the branch.
    {"Cafe_single", "Caf=C3=A9", false, "Caf\xE9"},
    {"Cafe_utf8", "Caf=C3=A9", true, "Caf\xE9"},
    {"EscapeLowerCase", "caf=c3=a9 &GT; &Quot;", false, "caf\xE9 > \""},
    {"DoubleEncoded", "a=C3=83=C2=A9b \xC3\x83\xC2\xA9", false, "a\xE9" "b \xE9"},
    {"ZcaronExactOnly", "\x8E\x9E", false, "\xE9\x9E"},
    {"SoftBreaks", "ab=\r\ncd=B0", false, "abcd\xB0"},
    {"CrEscape_single", "a=0Db", false, "a\r\r\nb"},
    {"CrLfEscapes_single", "a=0D=0Ab", false, "a\r\r\n b"},
    {"LineEnds", "a\r\nb\nc", true, "a\r\r\nb\r\nc"},
    {"OnlySpaces", "    ", true, ""},
    {"TrimSpacesOnly", "  \tx\t  ", false, "\tx\t"},
    // Exact matching keeps the mis-decoded pairs apart.
    {"ExactPairs", "\xC3\x8A/\xC3\x9A", true, "\xCA/\xDA"},
    {"ExactPairsNotInSingle", "\xC3\x8A", false, "\xC3\x8A"},
    {"Utf8Marks", "=EF=BB=BFl=E2=80=99a =E2=80=A2 \xC5\x93 \xE2\x82\xAC", true, "l\x92" "a \x95 \x9C \x80"},
    // "=B0" runs first, so "=C2=B0" never reaches the "=C2=" rows.
    {"C0C1C2", "=C0=A1=C1=80=C2=A0=C2=B0=C2=BB", true, "!\x40\xA0=C2\xB0=C2=BB"},
    {"Utf8Tail", "x=20=3D=5B=5D=E8=E9&#233;&#191;", true, "x =[]\xE8\xE9\xE9&#191;"},
    // Letters and digits are never unescaped.
    {"LettersStay_single", "=41=30=3F", false, "=41=30?"},
    {"LettersStay_utf8", "=41", true, "=41"},
    {"SkippedCodes_single", "=AB=AC=AD=DE=DF", false, "\xAB=AC=AD=DE\xDF"},
    {"Apostrophes_single", "&#39;&#8217;&#233;", false, "''&#233;"},
    {"Apostrophes_utf8", "&#39;", true, "&#39;"},
    {"Euro_single", "10 \x80 &#128; &#8364; &EURO;", false, "10 Euro Euro Euro Euro"},
    {"Euro_utf8", "10 \x80", true, "10 \x80"},
    // What one row writes, a later row reads ...
    {"EqualsThenEscape_single", "=3DE9", false, "\xE9"},
    {"EqualsThenEscape_utf8", "=3DE8", true, "\xE8"},
    {"C0WritesEquals", "=C0=BDE8", true, "\xE8"},
    {"C3WritesAtilde", "=C3=83\xA0", true, "\xE0"},
    // ... but a row does not rescan what it wrote itself.
    {"NoRescan", "=3D3D", false, "=3D"},
    {"EarlierRowNotRerun", "=C0=BDC3=A9", true, "=C3=A9"},
};

INSTANTIATE_TEST_SUITE_P(Decode, DecodeRows, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Decode, EmptyTextIsEmpty) {
    State s;
    EXPECT_EQ(Decode(s, ""), "");
}

// The presence index may only ever skip rows that cannot match: random row
// lists over a small alphabet, applied with the index and by plain
// replacement, must agree.
TEST(DecodeRowEngine, AgreesWithPlainReplacement) {
    std::mt19937 rng(12345);
    const std::string alphabet = "=3DACE08x\r\n&#;\xC3\x8A";
    const std::vector<std::string> finds = {"=3D", "=C3=A8", "=E8", "=0D", "\xC3\x8A", "=\r\n", "&#",
                                            "=3D=E8", "x=", "\n", "=a8", "D=", "=C3=83"};
    const std::vector<std::string> withs = {"=", "", "\r\n", "x", "E", "=C3", "\xC3", "8", "&"};
    auto pick = [&](const auto& v) { return v[rng() % v.size()]; };
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int len = static_cast<int>(rng() % (round % 10 == 0 ? 400 : 40));
        for (int i = 0; i < len; ++i) text += alphabet[rng() % alphabet.size()];
        std::vector<rows::Row> list;
        for (int i = 0; i < 6; ++i) list.push_back(rows::MakeRow(pick(finds), pick(withs), rng() % 2 == 0));

        std::string expected = text;
        for (const auto& r : list)
            expected = r.exact ? ReplaceExact(expected, r.find, r.with) : ReplaceNoCase(expected, r.find, r.with);

        rows::Presence p;
        p.Clear();
        p.AddLeads(list);
        p.Scan(text, 0, text.size());
        std::string got = text;
        rows::ApplyRows(got, list, p);
        ASSERT_EQ(got, expected) << "round " << round << " text " << text;
    }
}

// The row search looks at sixteen starts at a time: it must agree with the
// plain searches at every start, near the end of the text and across case.
TEST(DecodeRowEngine, SearchAgreesWithPlainSearch) {
    std::mt19937 rng(777);
    const std::string alphabet = "=aA3\xC9\xE9\xFF\x9F<p";
    for (int round = 0; round < 2000; ++round) {
        std::string hay, needle;
        const int len = static_cast<int>(rng() % 100);
        for (int i = 0; i < len; ++i) hay += alphabet[rng() % alphabet.size()];
        const int nlen = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < nlen; ++i) needle += alphabet[rng() % alphabet.size()];
        const std::size_t from = rng() % (hay.size() + 2);
        ASSERT_EQ(rows::Find(hay, needle, from, true), FindExact(hay, needle, from)) << hay << " / " << needle;
        ASSERT_EQ(rows::Find(hay, needle, from, false), FindNoCase(hay, needle, from)) << hay << " / " << needle;
    }
}

}  // namespace
}  // namespace pelicard

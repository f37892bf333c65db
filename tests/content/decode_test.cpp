// Character repair rows, the row engine, base64, and real sample bodies.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "common/state.hpp"
#include "common/text.hpp"
#include "content/base64.hpp"
#include "content/decode.hpp"
#include "content/decode_rows.hpp"

namespace pelicard {
namespace {

// The rows whose order matters, in both branches (single-byte and UTF-8).
TEST(Decode, RowOrder) {
    struct Case {
        std::string in;
        bool utf8;
        std::string out;
    };
    for (const Case& c : std::vector<Case>{
             // Fixed repairs run before the branch, in any letter case.
             {"caf=c3=a9 &GT; &Quot; a=C3=83=C2=A9b \xC3\x83\xC2\xA9", false, "caf\xE9 > \" a\xE9" "b \xE9"},
             {"Caf=C3=A9", true, "Caf\xE9"},
             {"  \t\x8E\x9E ab=\r\ncd=B0 a=0Db=0D=0Ac\t  ", false, "\t\xE9\x9E abcd\xB0 a\r\r\nb\r\r\n c\t"},
             {"  a\r\nb\nc  ", true, "a\r\r\nb\r\nc"},
             {"    ", true, ""},
             // Exact matching keeps the mis-decoded pairs apart.
             {"\xC3\x8A/\xC3\x9A", true, "\xCA/\xDA"},
             {"\xC3\x8A", false, "\xC3\x8A"},
             {"=EF=BB=BFl=E2=80=99a =E2=80=A2 \xC5\x93 \xE2\x82\xAC", true, "l\x92" "a \x95 \x9C \x80"},
             // "=B0" runs first, so "=C2=B0" never reaches the "=C2=" rows.
             {"=C0=A1=C1=80=C2=A0=C2=B0=C2=BB", true, "!\x40\xA0=C2\xB0=C2=BB"},
             {"x=20=3D=5B=5D=E8=E9&#233;&#191;", true, "x =[]\xE8\xE9\xE9&#191;"},
             // Letters and digits are never unescaped; single-byte rows skip UTF-8.
             {"=41=30=3F =AB=AC=AD=DE=DF", false, "=41=30? \xAB=AC=AD=DE\xDF"},
             {"=41 &#39; 10 \x80", true, "=41 &#39; 10 \x80"},
             {"&#39;&#8217;&#233; 10 \x80 &#128; &#8364; &EURO;", false, "''&#233; 10 Euro Euro Euro Euro"},
             // What one row writes, a later row reads; but no row rescans its own writing.
             {"=3DE9 =3D3D", false, "\xE9 =3D"},
             {"=C0=BDE8 =C3=83\xA0 =C0=BDC3=A9", true, "\xE8 \xE0 =C3=A9"},
         }) {
        State s;
        s.texts.IsUtf8 = c.utf8;
        EXPECT_EQ(Decode(s, c.in), c.out) << c.in;
        EXPECT_EQ(s.texts.IsUtf8, c.utf8);  // never reset
    }
}

// The presence index may only skip rows that cannot match, and the row
// search (sixteen starts at a time) must agree with the plain searches:
// random texts over a small alphabet, against plain replacement and search.
TEST(DecodeRowEngine, AgreesWithPlainReplacementAndSearch) {
    std::mt19937 rng(12345);
    const std::string alphabet = "=3DACE08x\r\n&#;\xC3\x8A\xC9\xE9\xFF";
    const std::vector<std::string> finds = {"=3D", "=C3=A8", "=E8", "=0D", "\xC3\x8A", "=\r\n", "&#",
                                            "=3D=E8", "x=", "\n", "=a8", "D=", "=C3=83"};
    const std::vector<std::string> withs = {"=", "", "\r\n", "x", "E", "=C3", "\xC3", "8", "&"};
    auto pick = [&](const auto& v) { return v[rng() % v.size()]; };
    auto randomText = [&](std::size_t len) {
        std::string t;
        while (t.size() < len) t += alphabet[rng() % alphabet.size()];
        return t;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string text = randomText(rng() % (round % 10 == 0 ? 400 : 40));
        std::vector<rows::Row> list;
        for (int i = 0; i < 6; ++i) list.push_back(rows::MakeRow(pick(finds), pick(withs), rng() % 2 == 0));
        std::string expected = text;
        for (const auto& r : list)
            expected = r.exact ? ReplaceExact(expected, r.find, r.with) : ReplaceNoCase(expected, r.find, r.with);
        rows::Presence p;
        p.Clear();
        p.AddLeads(list);
        p.Scan(text, 0, text.size());
        rows::ApplyRows(text, list, p);
        ASSERT_EQ(text, expected) << "round " << round;
        const std::string needle = randomText(1 + rng() % 4);
        const std::size_t from = rng() % (text.size() + 2);
        ASSERT_EQ(rows::Find(text, needle, from, true), FindExact(text, needle, from)) << text << " / " << needle;
        ASSERT_EQ(rows::Find(text, needle, from, false), FindNoCase(text, needle, from)) << text << " / " << needle;
    }
}

TEST(Base64Decode, GroupsPaddingAndSpoilers) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        // A padded group in the middle; spaces skipped; trailing CR LF and NUL dropped, inner ones kept.
        {"QQ==QUJD", "AABC"}, {"QU JD\r\n\tREVG \r\n", "ABCDEF"}, {"QUJDDQo=", "ABC"}, {"QQA=", "A"},
        {"QQ1C", "A\rB"},
        // Anything that is not data spoils the whole text.
        {"QUJ", ""}, {"QU*D", ""}, {"QU\nJD", ""}, {"QUJD\r\n--limite\r\n", ""}, {"QU-_", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(Base64Decode(in), out) << in;
}

// Real messages of the sample folder: the repair rows against true decoders.
std::string SampleBody(const char* name) {
    std::ostringstream ss;
    ss << std::ifstream(std::string(PELICARD_SAMPLES) + "/wm/Archives/" + name, std::ios::binary).rdbuf();
    return ss.str().substr(ss.str().find("\r\n\r\n") + 4);
}

std::string WithCrCrLf(const std::string& t) { return TrimSpaces(ReplaceExact(t, "\n", "\r\n")); }

// A base64 UTF-8 body reads as a true UTF-8 decoder reads it; a
// quoted-printable Windows-1252 part as a strict decoder, "€" spelt "Euro".
TEST(SampleBodies, RepairedLikeTrueDecoders) {
    const std::string bytes = Base64Decode(SampleBody("synth_000016.eml"));
    ASSERT_NE(bytes.find("\xC5\x93"), std::string::npos);  // "œ" and "€" are in it
    ASSERT_NE(bytes.find("\xE2\x82\xAC"), std::string::npos);
    State s;
    s.texts.IsUtf8 = true;
    EXPECT_EQ(Decode(s, bytes), WithCrCrLf(Utf8ToCp1252(bytes)));

    const std::string body = SampleBody("synth_000001.eml");
    const std::size_t start = body.find("\r\n\r\n", body.find("text/plain")) + 4;
    const std::size_t end = body.find("\r\n------=_NextPart", start);
    ASSERT_NE(end, std::string::npos);
    const std::string part = body.substr(start, end - start);
    std::string strict = ReplaceExact(part, "=\r\n", "");
    for (std::size_t i = strict.find('='); i != std::string::npos; i = strict.find('=', i + 1))
        strict.replace(i, 3, 1, static_cast<char>(std::stoi(strict.substr(i + 1, 2), nullptr, 16)));
    ASSERT_NE(strict.find('\x80'), std::string::npos);
    s.texts.IsUtf8 = false;
    EXPECT_EQ(Decode(s, part), WithCrCrLf(ReplaceExact(strict, "\x80", "Euro")));
}

}  // namespace
}  // namespace pelicard

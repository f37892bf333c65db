// Character repair rows, the row engine, base64, real sample bodies, and HTML
// to plain text (each step, and inputs that must not hang).
#include <gtest/gtest.h>

#include <random>

#include "common/byte_file.hpp"
#include "common/state.hpp"
#include "common/text.hpp"
#include "content/base64.hpp"
#include "content/decode.hpp"
#include "content/decode_rows.hpp"
#include "content/html.hpp"

namespace pelicard {
namespace {

// The rows whose order matters, in both branches (single-byte and UTF-8).
TEST(Decode, RowOrder) {
    for (const auto& [in, utf8, out] : std::vector<std::tuple<std::string, bool, std::string>>{
             // Fixed repairs run before the branch, in any letter case.
             {"caf=c3=a9 &GT; &Quot; a=C3=83=C2=A9b \xC3\x83\xC2\xA9", false, "caf\xE9 > \" a\xE9" "b \xE9"},
             {"  \t\x8E\x9E ab=\r\ncd=B0 a=0Db=0D=0Ac\t  ", false, "\t\xE9\x9E abcd\xB0 a\r\r\nb\r\r\n c\t"},
             {"  a\r\nb\nc  ", true, "a\r\r\nb\r\nc"}, {"    ", true, ""},
             // Exact matching keeps the mis-decoded pairs apart.
             {"\xC3\x8A/\xC3\x9A", true, "\xCA/\xDA"}, {"\xC3\x8A", false, "\xC3\x8A"},
             {"=EF=BB=BFl=E2=80=99a =E2=80=A2 \xC5\x93 \xE2\x82\xAC", true, "l\x92" "a \x95 \x9C \x80"},
             // "=B0" runs first, so "=C2=B0" never reaches the "=C2=" rows.
             {"=C0=A1=C1=80=C2=A0=C2=B0=C2=BB", true, "!\x40\xA0=C2\xB0=C2=BB"},
             {"x=20=3D=5B=5D=E8=E9&#233;&#191;", true, "x =[]\xE8\xE9\xE9&#191;"},
             // Letters and digits are never unescaped; single-byte rows skip UTF-8.
             {"=41=30=3F =AB=AC=AD=DE=DF", false, "=41=30? \xAB=AC=AD=DE\xDF"}, {"=41 &#39; 10 \x80", true, "=41 &#39; 10 \x80"},
             {"&#39;&#8217;&#233; 10 \x80 &#128; &#8364; &EURO;", false, "''&#233; 10 Euro Euro Euro Euro"},
             // What one row writes, a later row reads; but no row rescans its own writing.
             {"=3DE9 =3D3D", false, "\xE9 =3D"}, {"=C0=BDE8 =C3=83\xA0 =C0=BDC3=A9", true, "\xE8 \xE0 =C3=A9"},
         }) {
        State s;
        s.texts.IsUtf8 = utf8;
        EXPECT_EQ(Decode(s, in), out) << in;
        EXPECT_EQ(s.texts.IsUtf8, utf8);  // never reset
    }
}

// The presence index may only skip rows that cannot match, and the row
// search (sixteen starts at a time) must agree with the plain searches:
// random texts over a small alphabet, against plain replacement and search.
TEST(DecodeRowEngine, AgreesWithPlainReplacementAndSearch) {
    std::mt19937 rng(12345);
    const std::string alphabet = "=3DACE08x\r\n&#;\xC3\x8A\xC9\xE9\xFF";
    const std::vector<std::string> finds = {"=3D", "=C3=A8", "=E8", "=0D", "\xC3\x8A", "=\r\n", "&#",
                                            "=3D=E8", "x=", "\n", "=a8", "D=", "=C3=83"},
                                   withs = {"=", "", "\r\n", "x", "E", "=C3", "\xC3", "8", "&"};
    auto pick = [&](const auto& v) { return v[rng() % v.size()]; };
    auto randomText = [&](std::size_t len) { std::string t; while (t.size() < len) t += pick(alphabet); return t; };
    for (int round = 0; round < 3000; ++round) {
        std::string text = randomText(rng() % (round % 10 == 0 ? 400 : 40)), expected = text;
        std::vector<rows::Row> list;
        for (int i = 0; i < 6; ++i) list.push_back(rows::MakeRow(pick(finds), pick(withs), rng() % 2 == 0));
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
        {"QQ==QUJD", "AABC"}, {"QU JD\r\n\tREVG \r\n", "ABCDEF"}, {"QUJDDQo=", "ABC"}, {"QQA=", "A"}, {"QQ1C", "A\rB"},
        // Anything that is not data spoils the whole text.
        {"QUJ", ""}, {"QU*D", ""}, {"QU\nJD", ""}, {"QUJD\r\n--limite\r\n", ""}, {"QU-_", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(Base64Decode(in), out) << in;
}

// Real messages of the sample folder: the repair rows against true decoders.
std::string SampleBody(const char* name) {
    const std::string t = ReadWholeFile(std::string(PELICARD_SAMPLES) + "/wm/Archives/" + name);
    return t.substr(t.find("\r\n\r\n") + 4);
}

std::string WithCrCrLf(const std::string& t) { return TrimSpaces(ReplaceExact(t, "\n", "\r\n")); }

// A base64 UTF-8 body reads as a true UTF-8 decoder reads it; a
// quoted-printable Windows-1252 part as a strict decoder, "€" spelt "Euro".
TEST(SampleBodies, RepairedLikeTrueDecoders) {
    const std::string bytes = Base64Decode(SampleBody("synth_000016.eml"));
    ASSERT_TRUE(bytes.find("\xC5\x93") != bytes.npos && bytes.find("\xE2\x82\xAC") != bytes.npos);  // "œ", "€"
    State s;
    s.texts.IsUtf8 = true;
    EXPECT_EQ(Decode(s, bytes), WithCrCrLf(Utf8ToCp1252(bytes)));

    const std::string body = SampleBody("synth_000001.eml");
    const std::size_t start = body.find("\r\n\r\n", body.find("text/plain")) + 4;
    const std::size_t end = body.find("\r\n------=_NextPart", start);
    const std::string part = body.substr(start, end - start);
    std::string strict = ReplaceExact(part, "=\r\n", "");
    for (std::size_t i = strict.find('='); i != std::string::npos; i = strict.find('=', i + 1))
        strict.replace(i, 3, 1, static_cast<char>(std::stoi(strict.substr(i + 1, 2), nullptr, 16)));
    ASSERT_NE(strict.find('\x80'), std::string::npos);
    s.texts.IsUtf8 = false;
    EXPECT_EQ(Decode(s, part), WithCrCrLf(ReplaceExact(strict, "\x80", "Euro")));
}

TEST(HTMLProcessing, Steps) {
    for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>>{
             // No tag at all: the text goes to the character repair only.
             {"a < b =3F &eacute;", "a < b ? &eacute;"},
             // Head, and the text outside the first and last tag.
             {"<html><head><title>x</title></head><body>Bonjour<br>\xE0 tous</body></html>", "Bonjour\r\n\xE0 tous\r\n"},
             {"avant <HEAD><title>t</title></Head><b>milieu</b> apr\xE8s", "milieu"}, {"a>b<c", ""},
             // Style sheets, one after the other, and one that a drop brings together.
             {"<b>a</b><STYLE>p{}</style><style>q{}</STYLE><b>b</b>", "ab"},
             {"<b>x</b><sty<style>p</style>le>y</style><i>z</i>", "xz"},
             {"<b>a</b><style>p { color: red }<b>b</b>", "a"}, {"<b>a\tb\r\nc\x01" "d    e</b> <i>f</i>", "a bcd ef"},
             // Paragraphs not closed before the next one opens.
             {"<p class=x>a<p>b<p>c</p>", "a\r\n\r\nbc"}, {"<p>a<p>bbbbbbbb<p>c</p>", "a\r\n\r\nbbbbbbbb\r\n\r\nc"},
             {"<p>a<p>b<p>c", "ab"}, {"<p>a<pre>b</pre></p>", "a\r\n\r\nb"},
             // Block tags, then the finishing.
             {"<div>a</div><div>b</div><table><tr><td>c</td><td>d</td></tr></table>", "a\r\nb\r\nc d \r\n"},
             {"<b>a<BR>b<br />c<br/>d<br> e</b></p></p>", "a\r\nb\r\ncd\r\ne"},
             {"<ul><li>a</li></ul><i><span>b</span>c</i>", "a\r\nb c"},
             {"<b>&#8226;a&COPY;&NBSP;&#160;&Eacute;t&eacute; &AElig;&szlig;&yuml;&THORN;</b>",
              "\x95 a\xA9  \xC9t\xE9 \xC6\xDF\xFF\xDE"},
             {"<b>&EACUTE; &Szlig; &lt;&amp;</b>", "&EACUTE; &Szlig; &lt;&amp;"}, {"<b>&&eacute;&eacute</b>", "&\xE9&eacute"},
             // A "<" left without a ">" after the block-tag rows stays with the rest.
             {"<b>x</b><a</p>", "x<a"},
         }) {
        State s;
        std::string body = in;
        EXPECT_EQ(HTMLProcessing(s, body), out) << in;
    }
}

// Thousands of unclosed paragraphs, ampersands or style sheets: no hang, and
// every letter outside the style sheets survives, in order.
TEST(HTMLProcessing, HostileRepetitions) {
    State s;
    std::string body, expected, letters;
    for (int i = 0; i < 50000; ++i) body += "<p>x";
    EXPECT_EQ(HTMLProcessing(s, body), std::string(49999, 'x'));  // the last one follows the last tag
    body = "<b>" + std::string(400000, '&') + "</b>";
    EXPECT_EQ(HTMLProcessing(s, body), std::string(400000, '&'));
    body.clear();
    for (int i = 0; i < 50000; ++i) {
        expected += static_cast<char>('A' + i % 26);
        body += "<style>a</style><p>t<p>" + expected.substr(i);
    }
    body += "</p>";
    for (char c : HTMLProcessing(s, body))
        if (c >= 'A' && c <= 'Z') letters += c;
    EXPECT_EQ(letters, expected);
}

}  // namespace
}  // namespace pelicard

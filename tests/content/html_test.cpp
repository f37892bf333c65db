// HTML to plain text: each step of the conversion in a table of
// input -> expected text, with the inputs that must neither hang nor grow.
#include <gtest/gtest.h>

#include "common/state.hpp"
#include "content/html.hpp"

namespace pelicard {
namespace {

struct Case {
    const char* name;
    std::string in;
    std::string out;
};

class HtmlSteps : public ::testing::TestWithParam<Case> {};

TEST_P(HtmlSteps, GiveThePlainText) {
    const Case& c = GetParam();
    State s;
    std::string body = c.in;
    EXPECT_EQ(HTMLProcessing(s, body), c.out);
}

const Case kCases[] = {
    // No tag at all: the text goes to the character repair only.
    {"NoTag", "Texte sans balise", "Texte sans balise"},
    {"NoTagReferencesStay", "&eacute;t&eacute; =41", "&eacute;t&eacute; =41"},
    {"NoClosingBracket", "a < b =3F", "a < b ?"},
    // Head, and the text outside the first and last tag.
    {"Document", "<html><head><title>x</title></head><body>Bonjour<br>\xE0 tous</body></html>",
     "Bonjour\r\n\xE0 tous\r\n"},
    {"OnlyHead", "<html><head><title>x</title></head>", ""},
    {"HeadAnyCase", "<HEAD><title>t</title></Head><b>x</b>", "x"},
    {"OutsideTagsDropped", "avant <b>milieu</b> apr\xE8s", "milieu"},
    // Style sheets, one after the other, and one that a drop brings together.
    {"Styles", "<b>a</b><STYLE>p{}</style><style>q{}</STYLE><b>b</b>", "ab"},
    {"StyleAcrossJunction", "<b>x</b><sty<style>p</style>le>y</style><i>z</i>", "xz"},
    {"StyleUnclosed", "<b>a</b><style>p { color: red }<b>b</b>", "a"},
    {"StyleOnlyLeavesNoTag", "<style>a</style><", ""},
    {"LastBracketBeforeFirst", "a>b<c", ""},
    // Control characters and spaces.
    {"Controls", "<b>a\tb\r\nc\x01" "d</b>", "a bcd"},
    {"Spaces", "<b>a    b</b> <i>c</i>", "a bc"},
    // Paragraphs not closed before the next one opens.
    {"ClosedParagraphs", "<p>a</p><p>b</p>", "a\r\n\r\nb"},
    {"UnclosedParagraph", "<p>un<p>deux</p>", "un\r\n\r\ndeux"},
    {"ParagraphSearchSkipsAhead", "<p>a<p>b<p>c</p>", "a\r\n\r\nbc"},
    {"ParagraphLongTagSkipsFurther", "<p class=x>a<p class=y>b<p>c</p>", "a\r\n\r\nbc"},
    {"ParagraphsFarApart", "<p>a<p>bbbbbbbb<p>c</p>", "a\r\n\r\nbbbbbbbb\r\n\r\nc"},
    {"NoClosingParagraphAnywhere", "<p>a<p>b<p>c", "ab"},
    {"PreCountsAsParagraph", "<p>a<pre>b</pre></p>", "a\r\n\r\nb"},
    // Block tags.
    {"Divs", "<div>a</div><div>b</div>", "a\r\nb\r\n"},
    {"Table", "<table><tr><td>a</td><td>b</td></tr></table>", "a b \r\n"},
    {"Heading", "<h1>T</h1><p>x</p>", "T\r\nx"},
    {"BreakForms", "<b>a<BR>b<br />c<br/>d</b>", "a\r\nb\r\ncd"},
    {"ListAndSpan", "<ul><li>a</li></ul><i><span>b</span>c</i>", "a\r\nb c"},
    // Finishing.
    {"SpaceAfterLineBreak", "<b>a<br> b</b>", "a\r\nb"},
    {"TrailingEmptyLines", "<b>x</b></p></p>", "x"},
    {"LeadingSpaces", "<b> x</b>", "x"},
    {"SpacesFromReferences", "<i>&nbsp;&nbsp;x</i>", "  x"},
    {"CaselessReferences", "<b>&#8226;a&COPY;&NBSP;&#160;</b>", "\x95 a\xA9  "},
    {"NamedReferences", "<b>&Eacute;t&eacute; &AElig;&szlig;&yuml;&THORN;</b>", "\xC9t\xE9 \xC6\xDF\xFF\xDE"},
    {"NamedReferencesExact", "<b>&EACUTE; &Szlig; &lt;&amp;</b>", "&EACUTE; &Szlig; &lt;&amp;"},
    {"AmpersandBeforeReference", "<b>&&eacute;&eacute</b>", "&\xE9&eacute"},
    // A "<" left without a ">" after the block-tag rows stays with the rest.
    {"BracketLeftOpen", "<b>x</b><a</p>", "x<a"},
};

INSTANTIATE_TEST_SUITE_P(HTMLProcessing, HtmlSteps, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Thousands of unclosed paragraphs without any "</p": no replacement, and
// the search for "</p" is not repeated for each of them.
TEST(HTMLProcessing, ManyParagraphsWithoutClosingTag) {
    State s;
    std::string body;
    for (int i = 0; i < 50000; ++i) body += "<p>x";
    const std::string expected(49999, 'x');  // the last one follows the last tag
    EXPECT_EQ(HTMLProcessing(s, body), expected);
}

TEST(HTMLProcessing, ManyAmpersandsWithoutSemicolon) {
    State s;
    std::string body = "<b>" + std::string(400000, '&') + "</b>";
    EXPECT_EQ(HTMLProcessing(s, body), std::string(400000, '&'));
}

TEST(HTMLProcessing, ManyStylesAndTags) {
    State s;
    std::string body, expected;
    for (int i = 0; i < 50000; ++i) {
        body += "<style>a</style><p>t<p>";
        body += static_cast<char>('A' + i % 26);
        expected += static_cast<char>('A' + i % 26);
    }
    body += "</p>";
    const std::string got = HTMLProcessing(s, body);
    // Whether a paragraph tag became an empty line or went as a tag, every
    // letter outside the style sheets survives, in order.
    std::string letters;
    for (char c : got)
        if (c >= 'A' && c <= 'Z') letters += c;
    EXPECT_EQ(letters, expected);
}

}  // namespace
}  // namespace pelicard

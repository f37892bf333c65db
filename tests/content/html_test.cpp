// HTML to plain text: each step of the conversion, and inputs that must not hang.
#include <gtest/gtest.h>

#include "common/state.hpp"
#include "content/html.hpp"

namespace pelicard {
namespace {

TEST(HTMLProcessing, Steps) {
    for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>>{
             // No tag at all: the text goes to the character repair only.
             {"a < b =3F &eacute;", "a < b ? &eacute;"},
             // Head, and the text outside the first and last tag.
             {"<html><head><title>x</title></head><body>Bonjour<br>\xE0 tous</body></html>", "Bonjour\r\n\xE0 tous\r\n"},
             {"avant <HEAD><title>t</title></Head><b>milieu</b> apr\xE8s", "milieu"},
             {"a>b<c", ""},
             // Style sheets, one after the other, and one that a drop brings together.
             {"<b>a</b><STYLE>p{}</style><style>q{}</STYLE><b>b</b>", "ab"},
             {"<b>x</b><sty<style>p</style>le>y</style><i>z</i>", "xz"},
             {"<b>a</b><style>p { color: red }<b>b</b>", "a"},
             {"<b>a\tb\r\nc\x01" "d    e</b> <i>f</i>", "a bcd ef"},
             // Paragraphs not closed before the next one opens.
             {"<p>un<p>deux</p>", "un\r\n\r\ndeux"},
             {"<p class=x>a<p>b<p>c</p>", "a\r\n\r\nbc"},
             {"<p>a<p>bbbbbbbb<p>c</p>", "a\r\n\r\nbbbbbbbb\r\n\r\nc"},
             {"<p>a<p>b<p>c", "ab"},
             {"<p>a<pre>b</pre></p>", "a\r\n\r\nb"},
             // Block tags, then the finishing.
             {"<div>a</div><div>b</div><table><tr><td>c</td><td>d</td></tr></table>", "a\r\nb\r\nc d \r\n"},
             {"<b>a<BR>b<br />c<br/>d</b>", "a\r\nb\r\ncd"},
             {"<ul><li>a</li></ul><i><span>b</span>c</i>", "a\r\nb c"},
             {"<b>a<br> b</b></p></p>", "a\r\nb"},
             {"<b>&#8226;a&COPY;&NBSP;&#160;&Eacute;t&eacute; &AElig;&szlig;&yuml;&THORN;</b>",
              "\x95 a\xA9  \xC9t\xE9 \xC6\xDF\xFF\xDE"},
             {"<b>&EACUTE; &Szlig; &lt;&amp;</b>", "&EACUTE; &Szlig; &lt;&amp;"},
             {"<b>&&eacute;&eacute</b>", "&\xE9&eacute"},
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
    std::string body;
    for (int i = 0; i < 50000; ++i) body += "<p>x";
    EXPECT_EQ(HTMLProcessing(s, body), std::string(49999, 'x'));  // the last one follows the last tag
    body = "<b>" + std::string(400000, '&') + "</b>";
    EXPECT_EQ(HTMLProcessing(s, body), std::string(400000, '&'));
    std::string expected, letters;
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

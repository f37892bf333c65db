// The short scan of a one-part message against the MIME parser: on every
// form it reads, it gives the part the parser gives; the forms it leaves go
// to the parser.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "content/read_msg.hpp"
#include "content/text_part.hpp"
#include "support/fake_window.hpp"
#include "support/samples.hpp"

using namespace pelicard;

namespace {

std::string Shown(const TextPart& p) {
    return (p.html ? "html|" : "plain|") + p.charset + "|" + p.topCharset + "|" + p.bytes;
}

// The parser's reading, in the shortcut's terms.
SinglePart Parsed(std::string_view message, std::string& shown) {
    TextPart p;
    if (!ParsedTextPart(message, p)) return SinglePart::NoText;
    shown = Shown(p);
    return SinglePart::Text;
}

// Checks one message; returns what the short scan made of it.
SinglePart ExpectAgreement(const std::string& message) {
    TextPart p;
    const SinglePart got = SinglePartText(message, p);
    if (got == SinglePart::NeedsParser) return got;
    std::string parsed;
    EXPECT_EQ(Parsed(message, parsed), got) << message;
    if (got == SinglePart::Text) {
        EXPECT_EQ(Shown(p), parsed) << message;
    }
    return got;
}

TEST(SinglePartText, GivesThePartTheParserGives) {
    using K = SinglePart;
    struct Form {
        const char* name;
        std::string header, body;
        K kind;
    };
    const std::string plain = "Subject: Essai\r\nFrom: a@b.fr\r\n";
    const Form forms[] = {
        {"no type", plain, "Bonjour\r\n", K::Text},
        {"Latin-1, 8bit", plain + "Content-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: 8bit\r\n",
         "r\xE9union\r\n", K::Text},
        {"UTF-8 base64", plain + "Content-Type: text/plain; charset=\"utf-8\"\r\nContent-Transfer-Encoding: base64\r\n",
         "wqtyw6l1bmlvbsK7\r\n", K::Text},
        {"HTML quoted-printable",
         plain + "Content-Type: text/html; charset=windows-1252\r\nContent-Transfer-Encoding: quoted-printable\r\n",
         "<p>f=EAte =80 10=\r\n</p>\r\n", K::Text},
        {"folded type", plain + "Content-Type: text/plain;\r\n\tcharset=\"koi8-r\"\r\n", "\xF0\xD2\xC9\r\n", K::Text},
        {"encoding in capitals, spaced", plain + "Content-Transfer-Encoding:  BASE64 \r\n", "Qm9uam91cg==", K::Text},
        {"broken quoted-printable", plain + "Content-Transfer-Encoding: quoted-printable\r\n", "a=ZZb=\r\nc=4", K::Text},
        {"base64 with noise, no padding", plain + "Content-Transfer-Encoding: base64\r\n", "Qm9u*am9\r\n1c!g", K::Text},
        {"lower-case names", "subject: x\r\ncontent-type: TEXT/HTML\r\n", "<b>x</b>", K::Text},
        {"charset by parameter continuation", plain + "Content-Type: text/plain; charset*=utf-8''\r\n", "\xC3\xA9",
         K::Text},
        {"empty body", plain, "", K::Text},
        {"bare line ends in the body", plain, "a\nb\rc\r\n", K::Text},
        {"binary", plain + "Content-Transfer-Encoding: binary\r\n", std::string("a\0b", 3), K::Text},
        {"empty charset", plain + "Content-Type: text/plain; charset=\r\n", "x", K::Text},
        {"eight-bit subject", "Subject: r\xE9union\r\n", "x", K::Text},
        {"other text", plain + "Content-Type: text/enriched\r\n", "<bold>x</bold>", K::NoText},
        {"not a text", plain + "Content-Type: application/octet-stream\r\n", "AAAA", K::NoText},
        {"unreadable type", plain + "Content-Type: ;;;\r\n", "x", K::NoText},
        {"empty type", plain + "Content-Type:\r\n", "x", K::NoText},
        {"multipart", plain + "Content-Type: multipart/mixed; boundary=b\r\n", "--b\r\n\r\nx\r\n--b--\r\n",
         K::NeedsParser},
        {"enclosed message", plain + "Content-Type: message/rfc822\r\n", "Subject: y\r\n\r\ny", K::NeedsParser},
        {"two types", plain + "Content-Type: text/plain\r\nContent-Type: text/html\r\n", "x", K::NeedsParser},
        {"uuencoded", plain + "Content-Transfer-Encoding: x-uuencode\r\n", "begin 644 a\r\n", K::NeedsParser},
        {"unknown encoding", plain + "Content-Transfer-Encoding: x-foo\r\n", "x", K::NeedsParser},
        {"bare LF in the header", "Subject: x\nFrom: y\r\n", "x", K::NeedsParser},
        {"line without a colon", "Subject: x\r\nnot a field\r\n", "x", K::NeedsParser},
        {"blank before the colon", "Subject : x\r\n", "x", K::NeedsParser},
        {"encoded word in the type", plain + "Content-Type: =?us-ascii?Q?text/html?=\r\n", "x", K::NeedsParser},
        {"continuation first", " Subject: x\r\n", "x", K::NeedsParser},
        {"NUL in the header", std::string("Subject: a\0b\r\n", 14), "x", K::NeedsParser},
    };
    for (const Form& f : forms) EXPECT_EQ(ExpectAgreement(f.header + "\r\n" + f.body), f.kind) << f.name;
    EXPECT_EQ(ExpectAgreement("Subject: no empty line\r\n"), K::NeedsParser);
}

std::string FileText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream t;
    t << in.rdbuf();
    return t.str();
}

TEST(SinglePartText, AgreesWithTheParserOnTheSampleStores) {
    std::vector<std::string> messages;
    pelicard::testing::FakeWindow window;
    State s;
    s.window = &window;
    pelicard::testing::ForEachSampleDbx(s, [&] {
        for (std::int32_t i = 1; i <= s.list.Count; ++i)
            if (ReadBlocksOE(s, i)) messages.push_back(s.texts.RawText);
    });
    for (const auto& e : std::filesystem::recursive_directory_iterator(std::string(PELICARD_SAMPLES) + "/wm"))
        if (e.is_regular_file()) messages.push_back(FileText(e.path()));
    int shortcut = 0, parser = 0;
    for (const std::string& m : messages) ++(ExpectAgreement(m) == SinglePart::NeedsParser ? parser : shortcut);
    EXPECT_GT(shortcut, 20);
    EXPECT_GT(parser, 20);
}

}  // namespace

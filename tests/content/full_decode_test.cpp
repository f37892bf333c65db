// The complete decoding, beside the fixed repair: real-world forms read with
// the option off (as before) and on, by both readers; bad input that must
// fall back to the text as written; the sample stores read without codes.
#include <gtest/gtest.h>

#include <regex>

#include "app/system_time_zone.hpp"
#include "common/text.hpp"
#include "content/charsets.hpp"
#include "content/full_decode.hpp"
#include "content/mime.hpp"
#include "content/read_msg.hpp"
#include "dbx/list_oe.hpp"
#include "support/fake_window.hpp"
#include "support/samples.hpp"
#include "wm/complete_list_wm.hpp"
#include "wm/read_msg_wm.hpp"

using namespace pelicard;

namespace {

// What a reader makes of one message: subject and body as shown (UTF-8).
struct Shown {
    std::string subject, body;
};

class FullDecoding : public ::testing::Test {
protected:
    void SetUp() override { s.window = &window, s.timeZone = &zone; }

    Shown ReadWm(const std::string& message, bool full) {
        s.content.FullDecoding = full;
        WmMessageEntry e;
        ProcessMessageWM(s, message, e);
        return {Utf8Form(e.Subject, e.SubjectU8), Utf8Form(e.Body, e.BodyU8)};
    }
    // The Outlook Express body of the same stored text.
    std::string ReadOe(const std::string& message, bool full) {
        s.content.FullDecoding = full;
        s.list.Mode = StoreMode::OutlookExpress;
        s.list.Oe.assign(2, MessageEntry{});
        s.texts.RawText = message;
        OutputMode mode = kFollowing;
        MsgProcessing(s, 1, mode);
        return Utf8Form(s.texts.BodyText, s.content.BodyU8);
    }

    pelicard::testing::FakeWindow window;
    SystemTimeZone zone;
    State s;
};

std::string Msg(const std::string& header, const std::string& body) { return header + "\r\n\r\n" + body; }

TEST_F(FullDecoding, RealWorldFormsOffAsBeforeOnDecoded) {
    struct Form {
        const char* name;
        std::string message, offSubject, offBody, onSubject, onBody;
    };
    const std::string qp2 = "Content-Type: text/plain; charset=iso-8859-2\r\nContent-Transfer-Encoding: quoted-printable";
    const std::vector<Form> forms = {
        {"ISO-8859-2", Msg("Subject: =?ISO-8859-2?Q?Za=BF=F3=B3=E6?=\r\n" + qp2, "g=EA=B6l=B1 ja=BC=F1"),
         "=?ISO-8859-2?Q?Za¿ó³æ?=", "gê¶l± ja¼ñ", "Zażółć", "gęślą jaźń"},
        {"KOI8-R", Msg("Subject: =?koi8-r?B?8NLJ18XU?=\r\nContent-Type: text/plain; charset=\"koi8-r\"",
                       "\xf0\xd2\xc9\xd7\xc5\xd4, \xcd\xc9\xd2"),
         "=?koi8-r?B?8NLJ18XU?=", "ðÒÉ×ÅÔ, ÍÉÒ", "Привет", "Привет, мир"},
        {"ISO-2022-JP", Msg("Subject: =?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=\r\nContent-Type: text/plain; charset=ISO-2022-JP",
                            "\x1b$BF|K\\8l$N%F%-%9%H\x1b(B"),
         "=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", "\x1b$BF|K\\8l$N%F%-%9%H\x1b(B", "日本語", "日本語のテキスト"},
        {"encoded words folded over two lines",
         Msg("Subject: =?utf-8?Q?R=C3=A9union?=\r\n =?utf-8?Q?_du_comit=C3=A9?=", "x"), "Réunion", "x",
         "Réunion du comité", "x"},
        {"mixed encoded and plain words", Msg("Subject: Re: =?iso-8859-1?Q?caf=E9?= et th\xE9", "x"), "café et thé", "x",
         "café et thé", "x"},
        {"utf-8 in the header over a Latin-1 body",
         Msg("From: =?utf-8?Q?Andr=C3=A9?= <a@b>\r\nContent-Type: text/plain; charset=utf-8", "Cr\xE8me br\xFBl\xE9" "e"),
         "(Objet non précisé)", "Crème brûlée", "(Objet non précisé)", "Crème brûlée"},
        {"base64 UTF-8",
         Msg("Subject: x\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64",
             "wqsgQm9uam91ciDCuyDDoCB0b3Vz"),
         "x", "Â« Bonjour Â» à tous", "x", "« Bonjour » à tous"},
        {"euro sign, Latin-1 label and UTF-8 HTML",
         Msg("Subject: =?iso-8859-15?Q?=A4?=\r\nContent-Type: multipart/alternative; boundary=\"b\"",
             "--b\r\nContent-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
             "<p>35 =E2=82=AC &euro; &#8364;</p>\r\n--b--"),
         "=?iso-8859-15?Q?=A4?=", "35 =E2=82=AC &euro; &#8364;", "€", "35 € € €"},
    };
    for (const Form& f : forms) {
        SCOPED_TRACE(f.name);
        const Shown off = ReadWm(f.message, false), on = ReadWm(f.message, true);
        EXPECT_EQ(off.subject, f.offSubject);
        EXPECT_EQ(off.body, f.offBody);
        EXPECT_EQ(on.subject, f.onSubject);
        EXPECT_EQ(on.body, f.onBody);
        EXPECT_EQ(ReadOe(f.message, true), f.onBody);
    }
}

TEST(DecodeHeaderValue, BadWordsStayAsWritten) {
    const std::string big(100000, 'a');
    const std::vector<std::pair<std::string, std::string>> cases = {  // raw, decoded
        {"=?x-inconnu?Q?caf=E9?=", "=?x-inconnu?Q?caf=E9?="},  // unknown charset
        {"=?utf-8?Q?caf=E9?= ok", "=?utf-8?Q?caf=E9?= ok"},   // invalid in its charset
        {"=?utf-8?Q?caf=C3=A9", "=?utf-8?Q?caf=C3=A9"},       // truncated
        {"=?utf-8?B?Y2Fmw6k*?=", "=?utf-8?B?Y2Fmw6k*?="},     // not base64
        {"=?utf-8?Q?a b?=", "=?utf-8?Q?a b?="},               // blank inside
        {"=?utf-8?X?abc?=", "=?utf-8?X?abc?="},               // no such encoding
        {"=??Q?abc?=", "=??Q?abc?="},                         // no charset
        {"=?utf-8?Q?=3D=3Futf-8=3FQ=3Fx=3F=3D?=", "=?utf-8?Q?x?="},  // decoded once, not again
        {"a =?utf-8?Q?=C3=A9?= =?bad?Q?x?= =?UTF-8*fr?B?w6k=?=", "a é =?bad?Q?x?= é"},
        {"=?utf-8?Q?" + big + "?=", big},
        {std::string(50000, '=') + "?", std::string(50000, '=') + "?"},
        {"=?" + std::string(100000, '?'), "=?" + std::string(100000, '?')},
        // A NUL byte is a character: the UTF-8 text around it stays UTF-8.
        {std::string("caf\xC3\xA9\0 =?utf-8?Q?x?=", 20), std::string("caf\xC3\xA9\0 x", 8)},
        {std::string("=?utf-8?B?w6k=?= \0\xE9", 19), std::string("\xC3\xA9 \0\xC3\xA9", 6)},
    };
    for (const auto& [raw, decoded] : cases) {
        SCOPED_TRACE(raw.substr(0, 60));
        EXPECT_EQ(DecodeHeaderValue(raw), decoded);
    }
}

// Whether a companion is kept is told in the same pass as the conversion;
// it must agree with the strict check on every awkward form.
TEST(FromUtf8, CompanionKeptExactlyWhenTheTextDoesNotFit) {
    const char* const forms[] = {"plain ascii", "caf\xC3\xA9 \xE2\x82\xAC", "\xC5\x93uvre",
                                 "\xE6\x97\xA5", "\xF0\x9F\x98\x80", "\xC3", "\xE2\x82",
                                 "\xC1\x81",       // overlong "A"
                                 "\xE0\x80\xAF",  // overlong "/"
                                 "\xED\xA0\x80",  // a surrogate
                                 "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\x80", "\xC2\x81",
                                 "\xC2\x80"};
    for (const char* f : forms) {
        SCOPED_TRACE(f);
        std::string companion = "left";
        const std::string core = FromUtf8(f, companion);
        EXPECT_EQ(core, Utf8ToCp1252(f));
        EXPECT_EQ(companion.empty(), FitsCp1252(f));
        if (!companion.empty()) EXPECT_EQ(companion, f);
    }
}

TEST_F(FullDecoding, BodiesThatCannotBeReadFallBack) {
    const std::vector<std::pair<std::string, std::string>> cases = {  // message, body shown
        {Msg("Content-Type: text/plain; charset=x-nimporte", "caf\xE9"), "café"},
        {Msg("Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64", "w6k=w6"), "é"},
        {Msg("Content-Type: text/plain; charset=iso-2022-jp", "\x1b$B\xff\xfe"), "\x1b$Bÿþ"},
        {Msg("Content-Type: multipart/mixed; boundary=z", "--z\r\nContent-Type: text/plain\r\n\r\nsans fin"),
         "sans fin"},
        // No text part, no header: read the fixed way.
        {Msg("Content-Type: multipart/mixed; boundary=z", "--z\r\nContent-Type: image/png\r\n\r\nAAAA\r\n--z--"), ""},
        {"sans en-t\xEAte", ""},
    };
    for (const auto& [message, body] : cases) {
        SCOPED_TRACE(message);
        EXPECT_EQ(ReadWm(message, true).body, body.empty() ? ReadWm(message, false).body : body);
    }
}

// With the option on, no message of the sample stores shows a
// quoted-printable escape, a character reference or an encoded word.
TEST_F(FullDecoding, SampleStoresShowNoCodes) {
    const std::regex codes(R"(=[0-9A-F]{2}|&#?[A-Za-z0-9]+;|=\?[^?]+\?[BbQq]\?)");
    s.content.FullDecoding = true;
    std::vector<std::string> shown;
    pelicard::testing::ForEachSampleDbx(s, [&] {
        ASSERT_GT(s.list.Count, 30);
        for (std::int32_t i = 1; i <= s.list.Count; ++i) {
            ASSERT_TRUE(ReadBlocksOE(s, i));
            OutputMode mode = kFollowing;
            MsgProcessing(s, i, mode);
            const ContentState& c = s.content;
            shown.push_back(Utf8Form(s.texts.SubjectLine, c.SubjectLineU8) +
                            Utf8Form(s.texts.DateSenderBlock, c.DateSenderBlockU8) + Utf8Form(s.texts.BodyText, c.BodyU8));
        }
    });
    ASSERT_TRUE(ReadMsgWM(s, std::string(PELICARD_SAMPLES) + "/wm/Archives"));
    for (std::size_t i = 1; i < s.list.Wm.size(); ++i) {
        const WmMessageEntry& e = s.list.Wm[i];
        shown.push_back(Utf8Form(e.Subject, e.SubjectU8) + "\n" + Utf8Form(e.Sender, e.SenderU8) + "\n" +
                        Utf8Form(e.Body, e.BodyU8));
    }
    EXPECT_GT(shown.size(), 120u);
    for (const std::string& text : shown) EXPECT_FALSE(std::regex_search(text, codes)) << text;
}

}  // namespace

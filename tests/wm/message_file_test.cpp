#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "app/system_time_zone.hpp"
#include "support/fake_window.hpp"
#include "wm/dates.hpp"
#include "wm/read_msg_wm.hpp"

using namespace pelicard;
using pelicard::testing::FakeWindow;
using V = std::vector<std::string>;

namespace {

TEST(WmHeaderText, ExtracItemAndDecodeWordsQuirks) {
    const std::pair<const char*, const char*> items[] = {
        {"Subject:Bonjour", "onjour"},  // the character after the colon is skipped
        {"subject:   Re: Bonjour  ", "Re: Bonjour"},
        {"X-Subject: a\r\nSubject: b", "b"},  // at a line start only
        {"Subject: a\r\n suite pli\xE9" "e\r\nSubject: c", "a"},
        {"", ""},
    };
    State s;
    for (const auto& [header, value] : items) {
        s.texts.HeaderText = header;
        EXPECT_EQ(ExtracItem(s, "Subject:"), value) << header;
    }
    // Only ISO-8859-1 Q markers go, underscores turned.
    EXPECT_EQ(DecodeWords("=?iso-8859-1?Q?a_b?= =?UTF-8?Q?c?="), "a b =?UTF-8?Q?c");
    EXPECT_EQ(DecodeWords("mot_a"), "mot_a");
}

class WmMessageFile : public ::testing::Test {
protected:
    void SetUp() override {
        s.window = &window;
        s.list.Mode = StoreMode::WindowsMail;
    }
    WmMessageEntry Read(const std::string& text) {
        WmMessageEntry e;
        ProcessMessageWM(s, text, e);
        return e;
    }
    FakeWindow window;
    SystemTimeZone zone;
    State s;
};

TEST_F(WmMessageFile, HeaderFieldsBecomeTheEntrysFields) {
    WmMessageEntry e = Read("From:   Alice <a@x.org> \r\nsubject: Re: RE: =?iso-8859-1?Q?Caf=E9_cr=E8me?=\r\n"
                            "Date: Thu, 01 Jan 2009 12:00:00 +0000\r\nMessage-ID: < a1 b2 >\r\n"
                            "References: <r1> <r2>\r\n\r\nTexte");
    EXPECT_EQ((V{e.Sender, e.Subject, e.DateText, e.ThreadKey, e.References}),  // the default zone is UTC
              (V{"Alice <a@x.org>", "Caf\xE9 cr\xE8me", "01/01/2009 12:00:00", "<a1b2>", "<r1><r2>"}));
    // Missing or blank fields; a file without empty line is all header.
    e = Read("From: x\r\nSubject:   \r\n");
    EXPECT_EQ((V{e.Subject, e.DateText, e.ThreadKey, e.Body}), (V{kNoSubjectWM, "", "", ""}));
    EXPECT_EQ(s.texts.HeaderText, "From: x\r\nSubject:   ");
    // A UTF-8 message sets IsUtf8; the next one's header is decoded with it.
    const std::string francois = "From: =?UTF-8?Q?Fran=C3=A7ois?=\r\n\r\nx";
    s.texts.IsUtf8 = false;
    EXPECT_EQ(Read(francois).Sender, "Fran\xC3\xA7ois");
    Read("Content-Type: text/plain; charset=utf-8\r\n\r\nx");
    EXPECT_EQ(Read(francois).Sender, "Fran\xE7ois");
}

TEST_F(WmMessageFile, BodyFollowsTheContentType) {
    const std::string alternatives = "--abc\r\nContent-Type: text/plain\r\n\r\nPartie texte\r\n"
                              "--abc\r\nContent-Type: text/html\r\n\r\n<p>Partie html</p>\r\n--abc--\r\n";
    const std::string multi = "Content-Type: multipart/alternative; boundary=\"abc\"\r\n\r\n";
    struct Case {
        std::string text;
        const char* in;
        const char* notIn = "\x01";
        const char* box = "";
    };
    const Case cases[] = {
        {"Content-Type: TEXT/HTML; charset=x\r\n\r\n<html><body><p>Bonjour</p>", "Bonjour", "<p>"},
        // Without the space after the colon the type is read one position late.
        {"Content-Type:text/html\r\n\r\n<p>x</p>", "<p>"},
        // Multipart without boundary is plain.
        {"Content-Type: multipart/mixed\r\n\r\n--x\r\nContent-Type: text/plain\r\n\r\nc", "--x"},
        // The first text part; the boundary on a folded line, or after a preamble.
        {"Content-Type: multipart/alternative;\r\n\tboundary=\"abc\"\r\n\r\n" + alternatives, "Partie texte", "html"},
        {"Content-Type: multipart/mixed; boundary=\"x\"\r\n\r\nPr\xE9" "ambule\r\n\r\n" + alternatives, "Partie texte", "html"},
        {multi + "--abc\r\nContent-Type: text/html\r\n\r\n<p>Partie html</p>\r\n--abc--", "Partie html", "<p>"},
        {multi + "--abc\r\nContent-Type: text/plain", "", "plain"},
        {multi + "--abc\r\nContent-Type: text/enriched\r\n\r\nenrichi\r\n--abc--", "enrichi", "--", "Ne contient pas de texte"},
        {multi + "--abc\r\nContent-Type: text/plain\r\n\r\nVoir\r\n--abc\r\nContent-Type: application/pdf\r\n\r\nJVBERi0=\r\n--abc--",
         "Voir", "JVBER"},
        {"Content-Transfer-Encoding: base64\r\n\r\nQm9uam91cg==\r\n", "Bonjour", "Qm9u"},
        // The first web address is kept as written, up to a space.
        {"\r\n\r\nVoir  http://ex.org/?a=3Db  la suite.", "Voir  http://ex.org/?a=3Db la suite."},
    };
    for (const auto& c : cases) {
        window.boxes.clear();
        const std::string body = Read(c.text).Body;
        EXPECT_NE(body.find(c.in), std::string::npos) << c.text << "\n-> " << body;
        EXPECT_EQ(body.find(c.notIn), std::string::npos) << c.text << "\n-> " << body;
        EXPECT_EQ(window.BoxTexts(), *c.box ? V{c.box} : V{}) << c.text;
    }
}

TEST_F(WmMessageFile, DatesShowInParisTimeAtTheMessageDate) {
    setenv("TZ", "Europe/Paris", 1);
    tzset();
    s.timeZone = &zone;
    struct Case {
        const char* field;
        const char* local;
        bool told = false;  // an unreadable ISO date is told in a box
    };
    const Case cases[] = {
        {"Thu, 01 Jan 2009 12:00:00 GMT", "01/01/2009 13:00:00"},
        {"Thu, 01 Jan 2009 12:00:00 +0530", "01/01/2009 07:00:00"},
        // No zone, or a zone word after the offset: UTC.
        {"01 Jan 2009 12:00:00", "01/01/2009 13:00:00"},
        {"Thu, 01 Jan 2009 12:00:00 +0100 (CET)", "01/01/2009 13:00:00"},
        {"Thu, 01 Jan 2009 23:00:00 +0000", "02/01/2009"},  // local midnight: the date alone
        {"Thu, 01 Jan 09 12:00 +0000", "01/01/2009 13:00:00"},
        // The offset in force at the message's date, around 29 March 2009 01:00 UTC.
        {"Sun, 29 Mar 2009 00:59:59 +0000", "29/03/2009 01:59:59"},
        {"Sun, 29 Mar 2009 01:00:00 +0000", "29/03/2009 03:00:00"},
        {"Fri, 29 Feb 2008 22:00:00 -0200", "01/03/2008 01:00:00"},
        {"Thu, 31 Feb 2009 12:00:00 +0000", ""},
        {"2009-01-01T12:00:00", "", true},
        {"2009-13-01T12:00:00Z", "", true},
    };
    for (const auto& c : cases) {
        window.boxes.clear();
        EXPECT_EQ(MsgTime(s, c.field), c.local) << c.field;
        EXPECT_EQ(window.boxes.size(), c.told ? 1u : 0u) << c.field;
    }
}

// Dates whose zone is glued to the time, or has a colon, read like the
// usual form (the zone word was once read through a dangling view).
TEST(HostileWm, ZoneWordsInEveryForm) {
    State s;
    const std::string usual = MsgTime(s, "Mon, 5 Mar 2007 14:07:09 +0100");
    EXPECT_EQ(usual, "05/03/2007 13:07:09");
    for (const char* text : {"Mon, 5 Mar 2007 14:07:09+0100", "5 Mar 2007 14:07:09+01:00", "5 Mar 2007 14:07:09 +01:00 "})
        EXPECT_EQ(MsgTime(s, text), usual) << text;
}

}  // namespace

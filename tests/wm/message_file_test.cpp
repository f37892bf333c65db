#include <gtest/gtest.h>

#include "support/eml_builder.hpp"
#include "support/fake_window.hpp"
#include "wm/read_msg_wm.hpp"

using namespace pelicard;
using pelicard::testing::EmlBuilder;
using pelicard::testing::FakeWindow;

namespace {

struct ItemCase {
    const char* header;
    const char* key;
    const char* value;
};

TEST(WmExtracItem, FindsFieldsAtTheHeaderStartOrALineStartOnly) {
    const ItemCase cases[] = {
        {"From: x", "From:", "x"},
        {"Subject:Bonjour", "Subject:", "onjour"},  // the character after the colon is skipped
        {"subject:   Re: RE: Bonjour  ", "Subject:", "Re: RE: Bonjour"},
        {"X-Subject: a\r\nSubject: b", "Subject:", "b"},
        {"Subject: a\r\n suite pli\xE9" "e\r\nTo: y", "Subject:", "a"},
        {"Subject: premier\r\nSubject: second", "Subject:", "premier"},
        {"To: y\r\nCc: z", "From:", ""},
        {"To: y\r\nFrom:", "From:", ""},
        {"To: y\r\nFrom: ", "From:", ""},
        {"Message-ID: < a1 b2 >\r\nX: 1", "Message-ID:", "< a1 b2 >"},
        {"", "Date:", ""},
    };
    State s;
    for (const auto& c : cases) {
        s.texts.HeaderText = c.header;
        EXPECT_EQ(ExtracItem(s, c.key), c.value) << c.header;
    }
}

TEST(WmDecodeWords, RemovesOneCharsetsMarkersAndTurnsUnderscores) {
    const std::pair<const char*, const char*> cases[] = {
        {"=?iso-8859-1?Q?Caf=E9_cr=E8me?=", "Caf=E9 cr=E8me"},
        {"=?ISO-8859-1?q?Caf=E9?= noir", "Caf=E9 noir"},
        {"=?UTF-8?Q?Fran=C3=A7ois?= <f@x.org>", "Fran=C3=A7ois <f@x.org>"},
        // With both charsets only the ISO-8859-1 markers go.
        {"=?iso-8859-1?Q?a_b?= =?UTF-8?Q?c?=", "a b =?UTF-8?Q?c"},
        // No Q-word: unchanged, underscores included; base64 words stay.
        {"mot_compos\xE9", "mot_compos\xE9"},
        {"=?iso-8859-1?B?Q2Fm6Q==?=", "=?iso-8859-1?B?Q2Fm6Q==?="},
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(DecodeWords(in), out) << in;
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
    State s;
};

TEST_F(WmMessageFile, HeaderFieldsBecomeTheEntrysFields) {
    EmlBuilder b;
    b.Header("From", "  Alice <alice@example.org> ")
        .Header("subject", "Re: RE: Bonjour")
        .Header("Date", "Thu, 01 Jan 2009 12:00:00 +0000")
        .Header("Message-ID", "< a1 b2 >")
        .Header("References", "<r1> <r2>")
        .Body("Texte");
    WmMessageEntry e = Read(b.Text());
    EXPECT_EQ(e.Sender, "Alice <alice@example.org>");
    EXPECT_EQ(e.Subject, "Bonjour");
    EXPECT_EQ(e.DateText, "01/01/2009 12:00:00");  // the state's default zone is UTC
    EXPECT_EQ(e.ThreadKey, "<a1b2>");
    EXPECT_EQ(e.References, "<r1><r2>");
    EXPECT_EQ(s.texts.HeaderText.substr(0, 6), "From: ");
    EXPECT_NE(s.texts.HeaderText.substr(s.texts.HeaderText.size() - 2), "\r\n");
}

TEST_F(WmMessageFile, MissingFieldsGiveEmptyValuesAndTheStandInSubject) {
    WmMessageEntry e = Read("X-Mailer: test\r\n\r\ncorps");
    EXPECT_EQ(e.Subject, kNoSubjectWM);
    EXPECT_EQ(e.Sender, "");
    EXPECT_EQ(e.DateText, "");
    EXPECT_EQ(e.ThreadKey, "");
    EXPECT_EQ(e.References, "");
    EXPECT_EQ(Read("Subject:   \r\n\r\nx").Subject, kNoSubjectWM);
}

TEST_F(WmMessageFile, AFileWithoutEmptyLineIsAllHeader) {
    WmMessageEntry e = Read("From: x\r\nSubject: Seulement l'en-t\xEAte\r\n");
    EXPECT_EQ(e.Sender, "x");
    EXPECT_EQ(e.Subject, "Seulement l'en-t\xEAte");
    EXPECT_EQ(e.Body, "");
    EXPECT_EQ(s.texts.HeaderText, "From: x\r\nSubject: Seulement l'en-t\xEAte");
}

TEST_F(WmMessageFile, LfOnlyFileReadsLikeItsCrLfTwin) {
    EmlBuilder b = pelicard::testing::SimpleEml("Fins de ligne", "<lf@x>", "<p1>", "ligne 1\nligne 2");
    WmMessageEntry crlf = Read(b.Text());
    WmMessageEntry lf = Read(b.LfOnly().Text());
    EXPECT_EQ(lf.Subject, "Fins de ligne");
    EXPECT_EQ(lf.DateText, crlf.DateText);
    EXPECT_EQ(lf.ThreadKey, "<lf@x>");
    EXPECT_EQ(lf.References, "<p1>");
    EXPECT_EQ(lf.Body, crlf.Body);
    EXPECT_NE(lf.Body.find("ligne 2"), std::string::npos);
}

TEST_F(WmMessageFile, ContentTypeDecidesTheKindAndBrokenMultipartIsPlain) {
    struct Case {
        const char* contentType;
        const char* body;
        const char* expectInBody;
        const char* expectNotInBody;
    };
    const Case cases[] = {
        {"text/enriched", "<b>gras</b>", "<b>gras</b>", ""},
        {"TEXT/HTML; charset=iso-8859-1", "<html><body><p>Bonjour</p></body></html>", "Bonjour", "<p>"},
        {"text/html", "<p>Bonjour</p>", "Bonjour", "<p>"},
        {"multipart/mixed", "--x\r\nContent-Type: text/plain\r\n\r\ncorps", "--x", ""},
        {"multipart/mixed; charset=x", "--x\r\nContent-Type: text/plain\r\n\r\ncorps", "--x", ""},
    };
    for (const auto& c : cases) {
        std::string text = "Subject: t\r\nContent-Type: " + std::string(c.contentType) + "\r\n\r\n" + c.body;
        WmMessageEntry e = Read(text);
        EXPECT_NE(e.Body.find(c.expectInBody), std::string::npos) << c.contentType << " -> " << e.Body;
        if (*c.expectNotInBody) {
            EXPECT_EQ(e.Body.find(c.expectNotInBody), std::string::npos) << c.contentType;
        }
    }
    // Without the space after the colon the type is read one position late: plain.
    EXPECT_NE(Read("Content-Type:text/html\r\n\r\n<p>x</p>").Body.find("<p>"), std::string::npos);
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(WmMessageFile, MultipartTakesItsFirstTextPart) {
    const std::string parts =
        "--abc\r\nContent-Type: text/plain; charset=iso-8859-1\r\n\r\nPartie texte\r\n"
        "--abc\r\nContent-Type: text/html\r\n\r\n<p>Partie html</p>\r\n--abc--\r\n";
    // The boundary parameter on the last header line.
    WmMessageEntry e = Read("Subject: m\r\nContent-Type: multipart/alternative;\r\n\tboundary=\"abc\"\r\n\r\n" + parts);
    EXPECT_EQ(e.Body, "Partie texte");
    // A preamble: the delimiter is taken from the body.
    e = Read("Content-Type: multipart/alternative; boundary=\"autre\"\r\n\r\nPr\xE9" "ambule\r\n\r\n" + parts);
    EXPECT_EQ(e.Body, "Partie texte");
    // An html first part is converted.
    e = Read("Content-Type: multipart/alternative; boundary=\"abc\"\r\n\r\n"
             "--abc\r\nContent-Type: text/html\r\n\r\n<p>Partie html</p>\r\n--abc--\r\n");
    EXPECT_NE(e.Body.find("Partie html"), std::string::npos);
    EXPECT_EQ(e.Body.find("<p>"), std::string::npos);
    // A part without its empty line has no content.
    e = Read("Content-Type: multipart/mixed; boundary=abc\r\n\r\n--abc\r\nContent-Type: text/plain");
    EXPECT_EQ(e.Body, "");
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(WmMessageFile, MultipartWithoutTextPartSubtypeIsTold) {
    WmMessageEntry e = Read("Content-Type: multipart/mixed; boundary=abc\r\n\r\n--abc\r\n"
                            "Content-Type: text/enriched\r\n\r\nenrichi\r\n--abc--");
    ASSERT_EQ(window.BoxTexts(), std::vector<std::string>{"Ne contient pas de texte"});
    EXPECT_EQ(e.Body, "enrichi");
}

TEST_F(WmMessageFile, FirstWebAddressIsKeptAsWrittenWithTheSpacesBeforeIt) {
    WmMessageEntry e = Read("Subject: lien\r\n\r\nVoir  http://ex.org/?a=3Db  la suite.");
    EXPECT_EQ(e.Body, "Voir  http://ex.org/?a=3Db la suite.");
    // The address ends at the first space or line break, whichever comes first.
    e = Read("Subject: lien\r\n\r\nVoir http://ex.org/?a=3Db fin de ligne\r\nautre");
    EXPECT_NE(e.Body.find("Voir http://ex.org/?a=3Db fin de ligne"), std::string::npos);
    // No address after "http://": decoded with the rest.
    e = Read("Subject: lien\r\n\r\nhttp:// x=3Dy");
    EXPECT_EQ(e.Body.find("=3D"), std::string::npos);
}

}  // namespace

namespace {

// With the content decoders: encoded words, the IsUtf8 carried from the
// message before, base64 and attachments.
TEST_F(WmMessageFile, DecodedFieldsAndBodies) {
    WmMessageEntry e = Read("Subject: =?iso-8859-1?Q?Caf=E9_cr=E8me?=\r\n\r\nx");
    EXPECT_EQ(e.Subject, "Caf\xE9 cr\xE8me");

    const std::string francois = "From: =?UTF-8?Q?Fran=C3=A7ois?=\r\n\r\nx";
    s.texts.IsUtf8 = false;
    EXPECT_EQ(Read(francois).Sender, "Fran\xC3\xA7ois");
    // A UTF-8 message sets the flag; the next one's header is decoded with it.
    Read("Content-Type: text/plain; charset=utf-8\r\n\r\nx");
    EXPECT_TRUE(s.texts.IsUtf8);
    EXPECT_EQ(Read(francois).Sender, "Fran\xE7ois");

    e = Read("Content-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\nQm9uam91cg==\r\n");
    EXPECT_EQ(e.Body, "Bonjour");

    e = Read("Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
             "Voir la pi\xE8" "ce jointe\r\n--b\r\nContent-Type: application/pdf\r\n\r\nJVBERi0=\r\n--b--\r\n");
    EXPECT_EQ(e.Body, "Voir la pi\xE8" "ce jointe");
}

}  // namespace

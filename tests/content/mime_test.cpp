// MIME extraction: split, classification, boundaries, the first text part,
// the IsUtf8 verdict carried between messages, mail links, the protected
// web address, line tidying and what reaches the editors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/mime.hpp"
#include "support/fake_window.hpp"

using namespace pelicard;
using pelicard::testing::FakeWindow;

namespace {

class MimeTest : public ::testing::Test {
protected:
    FakeWindow window;
    State s;
    MimeTest() {
        s.window = &window;
        MessageEntry e;
        e.Subject = "Sujet";
        e.Sender = "Moi";
        e.TextOffset = 0x100;
        s.list.Oe = {MessageEntry{}, e};
        s.list.Count = 1;
    }
    const std::string& Process(const std::string& raw, OutputMode mode = kAlone) {
        s.texts.RawText = raw;
        MsgProcessing(s, 1, mode);
        return s.texts.BodyText;
    }
};

TEST_F(MimeTest, ClassifiesByTheFirstContentType) {
    struct Case {
        const char* name;
        std::string header;
        std::string body;
        int kind;
        std::string expected;
    };
    const std::string parts = "--b\r\nContent-Type: text/plain\r\n\r\nx\r\n--b--";
    const std::vector<Case> cases = {
        {"html in capitals", "Content-Type: TEXT/HTML; charset=iso-8859-1\r\n", "<p>Salut</p>", 1, "Salut"},
        {"no space after the colon reads as plain", "Content-Type:text/html\r\n", "<b>x</b>", 0, "<b>x</b>"},
        {"plain quoted-printable line ends", "Content-Type: text/plain\r\n", "a=0D=0Ab=0Ac", 0, "a\r\nb\r\nc"},
        {"unknown type is plain", "Content-Type: image/gif\r\n", "donn=E9es", 0, "donn\xE9" "es"},
        {"no Content-Type", "Subject: x\r\n", "texte", 0, "texte"},
        {"found anywhere in the header", "X-Note: Content-Type: text/html\r\n", "<i>y</i>", 1, "y"},
        // A multipart header that names no boundary is read as plain text.
        {"multipart without ';'", "Content-Type: multipart/mixed\r\n", parts, 0, parts},
        {"multipart without boundary", "Content-Type: multipart/mixed; type=x\r\n", parts, 0, parts},
        {"html soft line breaks", "Content-Type: text/html\r\n", "<p>Bon=\r\njour=20\r\n\r\n<b>x</b></p>", 1,
         "Bonjour x"},
        {"plain base64", "Content-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n", "Qm9uam91cg==\r\n", 0,
         "Bonjour"},
        {"plain base64 that fails keeps the text", "Content-Transfer-Encoding: base64\r\n", "pas*du base64", 0,
         "pas*du base64"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        window.boxes.clear();
        EXPECT_EQ(Process(k.header + "\r\n" + k.body), k.expected);
        EXPECT_EQ(s.content.BodyKind, k.kind);
        EXPECT_TRUE(window.boxes.empty());
        EXPECT_FALSE(s.Quitting);
    }
}

TEST_F(MimeTest, BoundaryFromHeaderOrBody) {
    struct Case {
        const char* name;
        std::string header;
        std::string body;
        std::string boundary;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"quoted value on a continuation line", "Content-Type: multipart/alternative;\r\n\tboundary=\"----=_Part_1\"\r\n",
         "------=_Part_1\r\nContent-Type: text/plain\r\n\r\nUn\r\n------=_Part_1--\r\n", "------=_Part_1", "Un"},
        {"space after '=' and quotes", "Content-Type: multipart/mixed; boundary= \"abc\"\r\n",
         "--abc\r\nContent-Type: text/plain\r\n\r\nDeux\r\n--abc--\r\n", "--abc", "Deux"},
        {"the body's delimiter after a preamble wins", "Content-Type: multipart/mixed; boundary=\"autre\"\r\n",
         "Pr\xE9" "ambule.\r\n\r\n--ZZZ\r\nContent-Type: text/plain\r\n\r\nTrois\r\n--ZZZ--\r\n", "--ZZZ", "Trois"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(Process(k.header + "\r\n" + k.body), k.expected);
        EXPECT_EQ(s.content.BodyKind, 2);
        EXPECT_EQ(s.content.Boundary, k.boundary);
    }
}

TEST_F(MimeTest, FirstTextPartDecides) {
    const std::string header = "Content-Type: multipart/mixed; boundary=\"B\"\r\n\r\n";
    struct Case {
        const char* name;
        std::string body;
        std::string expected;
        std::vector<std::string> boxes;
    };
    const std::vector<Case> cases = {
        {"html first, plain after", "--B\r\nContent-Type: text/html\r\n\r\n<b>Gras</b>\r\n--B\r\n"
                                    "Content-Type: text/plain\r\n\r\nPlat\r\n--B--\r\n", "Gras", {}},
        {"no text part keeps the whole body", "--B\r\nContent-Type: application/x\r\n\r\ndonn=E9es\r\n--B--",
         "--B\r\nContent-Type: application/x\r\n\r\ndonn\xE9" "es\r\n--B--", {}},
        {"other text subtype", "--B\r\nContent-Type: text/enriched\r\n\r\n<bold>x</bold>\r\n--B--\r\n",
         "<bold>x</bold>", {"Ne contient pas de texte"}},
        {"base64 declared by another part empties a plain part",
         "--B\r\nContent-Type: text/plain\r\n\r\nBonjour =E0 tous\r\n--B\r\nContent-Type: application/pdf\r\n"
         "Content-Transfer-Encoding: base64\r\n\r\nJVBERi0=\r\n--B--\r\n", "", {}},
        {"base64 html part", "--B\r\nContent-Type: text/html\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                             "PHA+Qm9uam91cjwvcD4=\r\n--B--\r\n", "Bonjour", {}},
        {"part without a closing delimiter runs to the end",
         "--B\r\nContent-Type: text/plain\r\n\r\nFin sans d=E9limiteur\r\n", "Fin sans d\xE9limiteur", {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        window.boxes.clear();
        EXPECT_EQ(Process(header + k.body), k.expected);
        EXPECT_EQ(window.BoxTexts(), k.boxes);
    }
}

// IsUtf8 comes from the header, from a multipart body, or stays as the
// message before left it when the header has no Content-Type.
TEST_F(MimeTest, Utf8VerdictCarriesOver) {
    struct Step {
        std::string raw;
        bool utf8;
        std::string expected;
    };
    const std::vector<Step> steps = {
        {"Content-Type: text/plain; charset=utf-8\r\n\r\nA=C3=A8", true, "A\xE8"},
        {"Subject: sans type\r\n\r\nB=C3=A8", true, "B\xE8"},
        {"Content-Type: text/plain; charset=iso-8859-1\r\n\r\nC=C3=A8", false, "C\xC3\xA8"},
        {"Subject: sans type\r\n\r\nD=C3=A8", false, "D\xC3\xA8"},
        {"Content-Type: multipart/mixed; boundary=\"B\"\r\n\r\n--B\r\nContent-Type: text/plain; charset=UTF-8\r\n"
         "\r\nE=C3=A8\r\n--B--\r\n", true, "E\xE8"},
    };
    for (const Step& k : steps) {
        SCOPED_TRACE(k.raw);
        EXPECT_EQ(Process(k.raw), k.expected);
        EXPECT_EQ(s.texts.IsUtf8, k.utf8);
    }
}

TEST(MailLinks, RemovedThroughTheirEnd) {
    struct Case {
        std::string in, out;
    };
    for (const Case& k : std::vector<Case>{
             {"a<mailto:x@y.fr>b", "ab"},
             {"a<MAILTO:x>b<mailto:y>c", "abc"},
             {"avant <mailto:sans fin", "avant "},         // no ">": the rest goes
             {"<ma<mailto:a>ilto:b>c", "c"},               // a link formed by a removal goes too
             {"<mai<mai<mailto:a>lto:b>lto:c>d", "d"},
             {"x<mailto:a>", "x"},
             {"pas de lien > ici", "pas de lien > ici"},
         }) {
        std::string body = k.in;
        RemoveMailLinks(body);
        EXPECT_EQ(body, k.out) << k.in;
    }
}

TEST_F(MimeTest, FirstWebAddressIsNotDecoded) {
    struct Case {
        std::string body, expected;
    };
    for (const Case& k : std::vector<Case>{
             // The space before the address stays.
             {"voir http://x.fr/?a=3Db fin =3D", "voir http://x.fr/?a=3Db fin ="},
             // The address ends at the later of the next space and the next line break.
             {"http://x.fr/?q=3D1\r\nsuite =E9t=E9", "http://x.fr/?q=3D1\r\nsuite \xE9t\xE9"},
             {"adresse http:// seule =3D", "adresse http:// seule ="},
             {"http://a/?=3D http://b/?=3D", "http://a/?=3D http://b/?="},
             {"fin http://x/?a=3D", "fin http://x/?a=3D"},
         }) {
        EXPECT_EQ(Process("Content-Type: text/plain\r\n\r\n" + k.body), k.expected) << k.body;
    }
}

TEST(LineTidying, Table) {
    struct Case {
        std::string in, out;
    };
    for (const Case& k : std::vector<Case>{
             {"\r\n\r\nA\r\n\r\n\r\n\r\n\r\nB\r\n   C\r\n\r\n", "A\r\n\r\nB\r\nC"},
             {"A\r\r\nB", "A\r\nB"},
             {"A\r\n\r\n\r\nB\r\n\r\n\r\n\r\nC", "A\r\n\r\nB\r\n\r\nC"},
             {"A\r", "A"},
             {"\tA\r\n \t B", "\tA\r\n\t B"},
             {"\r\n\r\n", ""},
             {"rien", "rien"},
         }) {
        std::string body = k.in;
        TidyLines(body);
        EXPECT_EQ(body, k.out);
    }
}

TEST_F(MimeTest, SplitAndSubjectPositions) {
    Process("From: x\r\nSubject: Hello\r\n\r\nCorps");
    EXPECT_EQ(s.texts.HeaderText, "From: x\r\nSubject: Hello\r\n");
    EXPECT_EQ(s.texts.BodyText, "Corps");
    EXPECT_EQ(s.content.SubjectStart, 19);  // just after "Subject: "
    EXPECT_EQ(s.content.SubjectEnd, 24);    // the CR that ends the line
    // Without a blank line the header is the first character and the body
    // starts at the fourth.
    Process("abcdefgh");
    EXPECT_EQ(s.texts.HeaderText, "a");
    EXPECT_EQ(s.texts.BodyText, "defgh");
}

TEST_F(MimeTest, EditorsOnlyForDisplay) {
    struct Watch : FakeWindow {
        State* s = nullptr;
        bool raised = true;
        void SetText(std::string_view c, const std::string& t) override {
            raised = raised && s->EditorUpdate;
            FakeWindow::SetText(c, t);
        }
    } watch;
    watch.s = &s;
    s.window = &watch;
    Process("Subject: x\r\n\r\nCorps", kLast);
    EXPECT_TRUE(watch.texts.empty());
    EXPECT_EQ(s.texts.SubjectLine, "Objet : Sujet\r\n");
    EXPECT_EQ(s.texts.DateSenderBlock.substr(0, 7), "Date : ");
    const std::string sender = "Exp\xE9" "diteur : Moi\r\n\r\n";
    EXPECT_EQ(s.texts.DateSenderBlock.substr(s.texts.DateSenderBlock.size() - sender.size()), sender);
    Process("Subject: x\r\n\r\nCorps", kAlone);
    EXPECT_EQ(watch.texts["txtBody"], "Corps");
    EXPECT_EQ(watch.texts["txtSubject"], "Sujet");
    EXPECT_TRUE(watch.raised);
    EXPECT_FALSE(s.EditorUpdate);
}

}  // namespace

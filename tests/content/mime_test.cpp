// MIME extraction: kinds, boundaries, the first text part, IsUtf8 carried
// between messages, mail links, the kept web address, lines and editors.
#include <gtest/gtest.h>

#include "content/mime.hpp"
#include "support/fake_window.hpp"

using namespace pelicard;

namespace {

struct Watch : pelicard::testing::FakeWindow {  // raised: EditorUpdate was up at every SetText
    State* s = nullptr;
    bool raised = true;
    void SetText(std::string_view c, const std::string& t) override {
        raised = raised && s->EditorUpdate;
        FakeWindow::SetText(c, t);
    }
};

struct MimeTest : ::testing::Test {
    Watch window;
    State s;
    MimeTest() {
        window.s = &s;
        s.window = &window;
        s.list.Oe = {MessageEntry{}, MessageEntry{0x100, "Sujet", "Moi", "", "", ""}};
    }
    const std::string& Process(const std::string& raw, OutputMode mode = kAlone) {
        s.texts.RawText = raw;
        MsgProcessing(s, 1, mode);
        return s.texts.BodyText;
    }
};

TEST_F(MimeTest, KindBoundaryAndPart) {
    struct Case { std::string raw, expected; int kind; std::string boundary = "", box = ""; };
    const std::string mp = "Content-Type: multipart/mixed; boundary=\"B\"\r\n\r\n";
    const std::string mpBody = "--b\r\nContent-Type: text/plain\r\n\r\nx\r\n--b--";
    for (const Case& k : std::vector<Case>{
             {"Content-Type:text/html\r\n\r\n<b>x</b>", "<b>x</b>", 0},  // no space after the colon: plain
             {"Content-Transfer-Encoding: base64\r\n\r\nQm9uam91cg==\r\n", "Bonjour", 0},
             {"Content-Transfer-Encoding: base64\r\n\r\npas*b64", "pas*b64", 0},  // failed base64 keeps the text
             {"Content-Type: TEXT/HTML; charset=iso-8859-1\r\n\r\n<p>Bon=\r\njour=20\r\n\r\n<b>x</b></p>", "Bonjour x", 1},
             {"Content-Type: multipart/mixed\r\n\r\n" + mpBody, mpBody, 0},  // no boundary named: plain
             {"Content-Type: multipart/alternative;\r\n\tboundary= \"----=_P\"\r\n\r\n"
              "------=_P\r\nContent-Type: text/plain\r\n\r\nUn\r\n------=_P--", "Un", 2, "------=_P"},
             // The body's delimiter after a preamble; the first text part, of any text kind.
             {mp + "Pr\xE9" "ambule.\r\n\r\n--Z\r\nContent-Type: text/html\r\n\r\n<b>Gras</b>\r\n--Z\r\n"
              "Content-Type: text/plain\r\n\r\nPlat", "Gras", 2, "--Z"},
             // No text part keeps the whole body; another text subtype says so.
             {mp + "--B\r\nContent-Type: application/x\r\n\r\nd=E9\r\n--B--",
              "--B\r\nContent-Type: application/x\r\n\r\nd\xE9\r\n--B--", 2, "--B"},
             {mp + "--B\r\nContent-Type: text/enriched\r\n\r\n<bold>x</bold>\r\n--B--", "<bold>x</bold>", 2, "--B",
              "Ne contient pas de texte"},
             // Base64 of another part empties a plain part.
             {mp + "--B\r\nContent-Type: text/plain\r\n\r\nBonjour\r\n--B\r\nContent-Transfer-Encoding: base64\r\n\r\n"
              "JVBERi0=\r\n--B--", "", 2, "--B"},
             {mp + "--B\r\nContent-Type: text/plain\r\n\r\nFin =E0 la fin\r\n", "Fin \xE0 la fin", 2, "--B"},  // unclosed
         }) {
        SCOPED_TRACE(k.raw);
        window.boxes.clear();
        EXPECT_EQ(Process(k.raw), k.expected);
        EXPECT_EQ(s.content.BodyKind, k.kind);
        if (k.kind == 2) { EXPECT_EQ(s.content.Boundary, k.boundary); }
        EXPECT_EQ(window.BoxTexts(), k.box.empty() ? std::vector<std::string>{} : std::vector{k.box});
        EXPECT_FALSE(s.Quitting);
    }
}

// IsUtf8 comes from the header, from a multipart body, or stays as the
// message before left it when the header has no Content-Type.
TEST_F(MimeTest, Utf8VerdictCarriesOver) {
    for (const auto& [raw, utf8, expected] : std::vector<std::tuple<std::string, bool, std::string>>{
             {"Content-Type: text/plain; charset=utf-8\r\n\r\nA=C3=A8", true, "A\xE8"}, {"Subject: s\r\n\r\nB=C3=A8", true, "B\xE8"},
             {"Content-Type: text/plain; charset=iso-8859-1\r\n\r\nC=C3=A8", false, "C\xC3\xA8"},
             {"Subject: s\r\n\r\nD=C3=A8", false, "D\xC3\xA8"},
             {"Content-Type: multipart/mixed; boundary=\"B\"\r\n\r\n--B\r\nContent-Type: text/plain; charset=UTF-8"
              "\r\n\r\nE=C3=A8\r\n--B--", true, "E\xE8"}}) {
        EXPECT_EQ(Process(raw), expected) << raw;
        EXPECT_EQ(s.texts.IsUtf8, utf8) << raw;
    }
}

TEST_F(MimeTest, LinksAddressesAndLines) {
    for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>>{
             // Mail links go, one formed by a removal too, and without a ">" the rest goes. The first
             // address stays as written up to a space or line break; blank lines come down to one.
             {"\r\n\r\na<MAILTO:x@y.fr>b<ma<mailto:a>ilto:b>c\r\n\r\n\r\n\r\nvoir http://a/?=3D http://b/?=3D\r\n"
              "   C\tD =E9t=E9 <mailto:sans fin\r\n\r\n", "abc\r\n\r\nvoir http://a/?=3D http://b/?=\r\nC\tD \xE9t\xE9"},
             {"http://x/?q=3D1\r\nsuite =E9t=E9", "http://x/?q=3D1\r\nsuite \xE9t\xE9"}, {"seule http:// =3D", "seule http:// ="},
         }) {
        EXPECT_EQ(Process("Content-Type: text/plain\r\n\r\n" + in), out) << in;
    }
}

TEST_F(MimeTest, SplitSubjectPositionsAndEditors) {
    Process("From: x\r\nSubject: Hello\r\n\r\nCorps", kLast);
    EXPECT_EQ(s.texts.HeaderText, "From: x\r\nSubject: Hello\r\n");
    EXPECT_EQ(s.content.SubjectStart, 19);  // just after "Subject: "
    EXPECT_EQ(s.content.SubjectEnd, 24);    // the CR that ends the line
    EXPECT_EQ(s.texts.SubjectLine, "Objet : Sujet\r\n");
    const std::string& block = s.texts.DateSenderBlock;
    EXPECT_EQ(block.substr(0, 7) + block.substr(block.find("\r\n")), "Date : \r\nExp\xE9" "diteur : Moi\r\n\r\n");
    EXPECT_TRUE(window.texts.empty());  // an export call leaves the editors alone
    // Without a blank line the header is the first character and the body
    // starts at the fourth; a display fills both editors.
    EXPECT_EQ(Process("abcdefgh"), "defgh");
    EXPECT_EQ(s.texts.HeaderText, "a");
    EXPECT_EQ(window.texts["txtBody"] + "|" + window.texts["txtSubject"], "defgh|Sujet");
    EXPECT_TRUE(window.raised && !s.EditorUpdate);
}

}  // namespace

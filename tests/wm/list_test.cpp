// The Windows Mail reader: header fields, bodies, dates, conversation keys, sort, folder scans.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <tuple>
#include <unistd.h>

#include "app/system_time_zone.hpp"
#include "common/text.hpp"
#include "content/read_msg.hpp"
#include "support/eml_builder.hpp"
#include "support/fake_window.hpp"
#include "wm/complete_list_wm.hpp"
#include "wm/dates.hpp"
#include "wm/read_msg_wm.hpp"

using namespace pelicard;
using pelicard::testing::FakeWindow;
using pelicard::testing::SimpleEml;
using pelicard::testing::TempFolder;

namespace {

using V = std::vector<std::string>;
struct Msg { std::string subject, id, references; };

// Entries 1..n as the scan leaves them, then the keys.
V Keys(const std::vector<Msg>& msgs) {
    State s;
    s.list.Wm.resize(msgs.size() + 1);
    for (std::size_t i = 1; i <= msgs.size(); ++i)
        std::tie(s.list.Wm[i].Subject, s.list.Wm[i].ThreadKey, s.list.Wm[i].References) =
            std::tie(msgs[i - 1].subject, msgs[i - 1].id, msgs[i - 1].references);
    ThreadKeysWM(s, static_cast<std::int32_t>(msgs.size()));
    V keys;
    for (std::size_t i = 1; i <= msgs.size(); ++i) keys.push_back(s.list.Wm[i].ThreadKey);
    return keys;
}

TEST(WmThreadKeys, TopmostAncestorInTheFolderGivesTheKey) {
    struct Case { const char* name; std::vector<Msg> msgs; V keys; };
    const Case cases[] = {
        {"answers listed before what they answer",
         {{"Plan B", "<id3>", "<id1><id2>"}, {"Plan", "<id2>", "<id1>"}, {"Plan", "<id1>", ""}},
         {"<Plan>", "<Plan>", "<Plan>"}},
        {"only the direct parent", {{"Racine", "<a>", ""}, {"Rep", "<b>", "<a><absent>"}}, {"<Racine>", "<Rep>"}},
        {"ids ignore case; cut after >; no brackets", {{"Haut", "<ABC@X>", ""}, {"Bas", "<b>", "<abc@x>"},
         {"a>b", "<m>", ""}, {"Mot", "<n>", "m"}}, {"<Haut>", "<Haut>", "<a>", "<Mot>"}},
        {"naming itself", {{"Boucle", "<self>", "<self>"}}, {"<Boucle>"}},
        {"a chain hanging from a cycle",
         {{"A", "<a>", "<c>"}, {"B", "<b>", "<a>"}, {"C", "<c>", "<b>"}, {"D", "<d>", "<b>"}},
         {"<A>", "<A>", "<A>", "<A>"}},
        {"seed equal to its chain keeps its case", {{"Plan", "<1>", ""}, {"plan", "<2>", "<1>"}}, {"<Plan>", "<plan>"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Keys(c.msgs), c.keys) << c.name;
    // 3000 replies, each listed before its parent, settle without 3000 passes.
    std::vector<Msg> deep;
    for (int k = 2999; k >= 0; --k)
        deep.push_back({"S" + std::to_string(k), "<m" + std::to_string(k) + ">",
                        k == 0 ? "" : "<m" + std::to_string(k - 1) + ">"});
    EXPECT_EQ(Keys(deep), V(3000, "<S0>"));
}

class WmFolder : public ::testing::Test {
protected:
    void SetUp() override { s.window = &w, s.list.Mode = StoreMode::WindowsMail; }
    WmMessageEntry Read(const std::string& text) {
        WmMessageEntry e;
        ProcessMessageWM(s, text, e);
        return e;
    }
    FakeWindow w;
    SystemTimeZone zone;
    State s;
};

TEST_F(WmFolder, SortIsCaseInsensitiveFrenchOrderAndBounded) {
    const V keys = {"<F>", "<\xC9t\xE9>", "<b>", "<Ete>", "<(Objet>"};
    s.list.Wm.resize(6);
    for (std::size_t i = 0; i < 5; ++i) s.list.Wm[i + 1].ThreadKey = s.list.Wm[i + 1].FilePath = keys[i];
    SortWMByID(s, 1, 5);
    // "(" before letters; accented letters with their base letter; entries move whole.
    const V sorted = {"<(Objet>", "<b>", "<Ete>", "<\xC9t\xE9>", "<F>"};
    for (int i = 1; i <= 5; ++i) EXPECT_EQ((V{s.list.Wm[i].ThreadKey, s.list.Wm[i].FilePath}), V(2, sorted[i - 1u]));
    // 20000 nearly equal keys, then an out-of-range call.
    const int n = 20000;
    s.list.Wm.assign(n + 1, {});
    for (int i = 1; i <= n; ++i) s.list.Wm[i].ThreadKey = i % 1000 == 0 ? "<A>" : "<(Objet>";
    SortWMByID(s, 1, n);
    for (int i = 1; i <= n; ++i) ASSERT_EQ(s.list.Wm[i].ThreadKey == "<A>", i > n - n / 1000) << i;
    SortWMByID(s, 1, n + 5);
    ASSERT_EQ(w.boxes.size(), 1u);
}

TEST_F(WmFolder, ScanKeepsReadableMessageFilesOfTheFolderOnly) {
    TempFolder dir;
    dir.Write("b.NWS", SimpleEml("Nouvelles", "<n1>").Text());
    dir.Write("a.eml", "Subject: sans corps");
    dir.Write("B.eml", std::string("Subject: \0binaire\r\n\r\n\0\xFF", 23));
    dir.Write("c.eml", "\r\n\r\n");  // the sample store has the files left out
    ASSERT_TRUE(ReadMsgWM(s, dir.Path()));
    ASSERT_EQ(s.wm.WmFileCount, 4);
    // Ascending byte order of the names.
    EXPECT_EQ((V{s.list.Wm[1].FilePath, s.list.Wm[2].Subject}), (V{dir.Path() + "/B.eml", "sans corps"}));
    EXPECT_TRUE(w.boxes.empty());
    // A folder without message is told and keeps the previous table.
    EXPECT_FALSE(ReadMsgWM(s, std::filesystem::path(dir.Write("vide/vide.eml", "")).parent_path().string()));
    EXPECT_EQ(w.BoxTexts(), V{"Le dossier choisi ne contient pas de message valide"});
    EXPECT_EQ(s.wm.WmFileCount, 0);
    EXPECT_EQ(s.list.Wm[2].Subject, "sans corps");
}

TEST_F(WmFolder, SampleArchivesFolder) {
    const std::string folder = std::string(PELICARD_SAMPLES) + "/wm/Archives";
    ASSERT_TRUE(ReadMsgWM(s, folder));
    // 30 .eml, one .NWS and the LF file; not vide.eml, notes.txt nor the sub-folder.
    EXPECT_EQ(s.wm.WmFileCount, 32);
    const auto lf = std::find_if(s.list.Wm.begin(), s.list.Wm.end(), [&](auto& e) { return e.FilePath == folder + "/unix-lf.eml"; });
    ASSERT_NE(lf, s.list.Wm.end());
    EXPECT_EQ((V{lf->Subject, lf->Sender, lf->DateText, lf->ThreadKey}),  // UTC in a fresh state
              (V{"Fichier aux fins de ligne LF", "Unix <unix@linux.example>", "05/03/2007 13:07:09",
                 "<lf-0001@linux.example>"}));
    // The list build groups conversations and fills the view.
    CompleteListWM(s);
    ASSERT_EQ(w.rows.size(), 32u);
    for (int i = 1; i <= s.list.Count; ++i) {
        const auto& e = s.list.Wm[i];
        EXPECT_NE(e.DateText, "") << e.FilePath;
        EXPECT_EQ(e.Body.find("\r\r"), std::string::npos) << e.FilePath;
        EXPECT_EQ(w.rows[i - 1u], (V{e.Subject, e.Sender, e.DateText, e.DateKey, std::to_string(i)}));
        if (i > 1) { EXPECT_LE(CollateCompare(s.list.Wm[i - 1].ThreadKey, e.ThreadKey), 0); }
    }
    EXPECT_FALSE(w.progressVisible);
    EXPECT_EQ((V{w.panels[3], w.panels[4]}), (V{"  Messages s\xE9lectionn\xE9s", ""}));
}

// A message file of 8 MB (PELICARD_HUGE_MB=300 checks 300 MB by hand): a
// short header, then a body that is a hole of NUL bytes on disk.
TEST_F(WmFolder, HugeMessageFileIsListedAndShown) {
    const TempFolder dir;
    const std::string path = dir.Write("b.eml", "Subject: gros\r\n\r\nd\xE9" "but\r\n");
    const char* mb = std::getenv("PELICARD_HUGE_MB");
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_EQ(::ftruncate(fd, std::int64_t{mb ? std::atoi(mb) : 8} << 20), 0);
    ::close(fd);
    ASSERT_TRUE(ReadMsgWM(s, dir.Path()));
    CompleteListWM(s);
    ASSERT_EQ(s.list.Count, 1);
    OutputMode mode = kAlone;
    ReadMsg(s, 1, mode);
    EXPECT_EQ((V{s.texts.SubjectLine, s.texts.BodyText.substr(0, 5)}), (V{"Objet : gros\r\n", "d\xE9" "but"}));
    EXPECT_TRUE(w.boxes.empty());
}

TEST(WmHeaderText, ExtracItemAndDecodeWordsQuirks) {
    const std::pair<const char*, const char*> items[] = {
        {"Subject:Bonjour", "onjour"}, {"subject:   Re: Bonjour  ", "Re: Bonjour"},  // one character skipped after the colon
        {"X-Subject: a\r\nSubject: b", "b"}, {"Subject: a\r\n suite pli\xE9" "e\r\nSubject: c", "a"}, {"", ""},
    };
    State s;
    for (const auto& [header, value] : items) {
        s.texts.HeaderText = header;
        EXPECT_EQ(ExtracItem(s, "Subject:"), value) << header;
    }
    // Only ISO-8859-1 Q markers go, and then underscores are turned.
    EXPECT_EQ(DecodeWords("=?iso-8859-1?Q?a_b?= =?UTF-8?Q?c?="), "a b =?UTF-8?Q?c");
    EXPECT_EQ(DecodeWords("mot_a"), "mot_a");
}

TEST_F(WmFolder, HeaderFieldsBecomeTheEntrysFields) {
    WmMessageEntry e = Read("From:   Alice <a@x.org> \r\nsubject: Re: RE: =?iso-8859-1?Q?Caf=E9_cr=E8me?=\r\n"
                            "Date: Thu, 01 Jan 2009 12:00:00 +0000\r\nMessage-ID: < a1 b2 >\r\n"
                            "References: <r1> <r2>\r\n\r\nTexte");
    EXPECT_EQ((V{e.Sender, e.Subject, e.DateText, e.ThreadKey, e.References}),  // the default zone is UTC
              (V{"Alice <a@x.org>", "Caf\xE9 cr\xE8me", "01/01/2009 12:00:00", "<a1b2>", "<r1><r2>"}));
    // Missing or blank fields; a file without empty line is all header.
    e = Read("From: x\r\nSubject:   \r\n");
    EXPECT_EQ((V{e.Subject, e.DateText, e.ThreadKey, e.Body, s.texts.HeaderText}),
              (V{kNoSubjectWM, "", "", "", "From: x\r\nSubject:   "}));
    // A UTF-8 message sets IsUtf8; the next one's header is decoded with it.
    const std::string francois = "From: =?UTF-8?Q?Fran=C3=A7ois?=\r\n\r\nx";
    s.texts.IsUtf8 = false;
    EXPECT_EQ(Read(francois).Sender, "Fran\xC3\xA7ois");
    Read("Content-Type: text/plain; charset=utf-8\r\n\r\nx");
    EXPECT_EQ(Read(francois).Sender, "Fran\xE7ois");
}

TEST_F(WmFolder, BodyFollowsTheContentType) {
    const std::string multi = "Content-Type: multipart/alternative; boundary=\"abc\"\r\n\r\n--abc\r\nContent-Type: text/";
    struct Case { std::string text; const char *in, *notIn = "\x01", *box = ""; };
    const Case cases[] = {
        {"Content-Type: TEXT/HTML; charset=x\r\n\r\n<html><body><p>Bonjour</p>", "Bonjour", "<p>"},
        // Without the space after the colon the type is read one position late; multipart without boundary is plain.
        {"Content-Type:text/html\r\n\r\n<p>x</p>", "<p>"},
        {"Content-Type: multipart/mixed\r\n\r\n--x\r\nContent-Type: text/plain\r\n\r\nc", "--x"},
        // The first text part, the boundary on a folded line, after a preamble.
        {"Content-Type: multipart/alternative;\r\n\tboundary=\"abc\"\r\n\r\nPr\xE9" "ambule\r\n\r\n--abc\r\nContent-Type: "
         "text/plain\r\n\r\nPartie texte\r\n--abc\r\nContent-Type: text/html\r\n\r\n<p>Partie html</p>\r\n--abc--\r\n",
         "Partie texte", "html"},
        {multi + "html\r\n\r\n<p>Partie html</p>\r\n--abc--", "Partie html", "<p>"},
        {multi + "plain", "", "plain"},
        {multi + "enriched\r\n\r\nenrichi\r\n--abc--", "enrichi", "--", "Ne contient pas de texte"},
        {multi + "plain\r\n\r\nVoir\r\n--abc\r\nContent-Type: application/pdf\r\n\r\nJVBERi0=\r\n--abc--", "Voir", "JVBER"},
        {"Content-Transfer-Encoding: base64\r\n\r\nQm9uam91cg==\r\n", "Bonjour", "Qm9u"},
        // The first web address is kept as written, up to a space.
        {"\r\n\r\nVoir  http://ex.org/?a=3Db  la suite.", "Voir  http://ex.org/?a=3Db la suite."},
    };
    for (const auto& c : cases) {
        w.boxes.clear();
        const std::string body = Read(c.text).Body;
        EXPECT_NE(body.find(c.in), std::string::npos) << c.text << "\n-> " << body;
        EXPECT_EQ(body.find(c.notIn), std::string::npos) << c.text << "\n-> " << body;
        EXPECT_EQ(w.BoxTexts(), *c.box ? V{c.box} : V{}) << c.text;
    }
}

// Each line of a body ends with one CR LF, whatever the repair made of it.
TEST_F(WmFolder, BodyLinesEndWithOneCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"Subject: a\r\n\r\nligne 1\r\nligne =E9t=E9\r\n\r\n\r\n\r\nfin  \r\n", "ligne 1\r\nligne \xE9t\xE9\r\n\r\nfin "},
        {"Subject: a\n\nun\ndeux\n", "un\r\ndeux"},  // a bare-LF file
        {"Subject: a\r\n\r\nhttp://ex.org/a=3Db\r\nsuite\r\nfin=E9", "http://ex.org/a=3Db\r\nsuite\r\nfin\xE9"},
    };
    for (const auto& [text, body] : cases) EXPECT_EQ(Read(text).Body, body) << text;
}

TEST_F(WmFolder, DatesShowInParisTimeAtTheMessageDate) {
    setenv("TZ", "Europe/Paris", 1);
    tzset();
    s.timeZone = &zone;
    const std::pair<const char*, const char*> cases[] = {  // "?": no text, and a box tells it
        {"Thu, 01 Jan 2009 12:00:00 GMT", "01/01/2009 13:00:00"}, {"Thu, 01 Jan 2009 12:00:00 +0530", "01/01/2009 07:00:00"},
        // No zone, or a zone word after the offset: UTC.
        {"01 Jan 2009 12:00:00", "01/01/2009 13:00:00"}, {"Thu, 01 Jan 2009 12:00:00 +0100 (CET)", "01/01/2009 13:00:00"},
        {"Thu, 01 Jan 2009 23:00:00 +0000", "02/01/2009"}, {"Thu, 01 Jan 09 12:00 +0000", "01/01/2009 13:00:00"},
        // The offset in force at the message's date, around 29 March 2009 01:00 UTC.
        {"Sun, 29 Mar 2009 00:59:59 +0000", "29/03/2009 01:59:59"}, {"Sun, 29 Mar 2009 01:00:00 +0000", "29/03/2009 03:00:00"},
        {"Fri, 29 Feb 2008 22:00:00 -0200", "01/03/2008 01:00:00"}, {"Thu, 31 Feb 2009 12:00:00 +0000", ""},
        {"2009-01-01T12:00:00", "?"}, {"2009-13-01T12:00:00Z", "?"},  // unreadable ISO dates
        // A zone glued to the time or with a colon reads like the usual form (once read through a dangling view).
        {"Mon, 5 Mar 2007 14:07:09 +0100", "05/03/2007 14:07:09"}, {"Mon, 5 Mar 2007 14:07:09+0100", "05/03/2007 14:07:09"},
        {"5 Mar 2007 14:07:09+01:00", "05/03/2007 14:07:09"}, {"5 Mar 2007 14:07:09 +01:00 ", "05/03/2007 14:07:09"},
    };
    for (const auto& [field, local] : cases) {
        w.boxes.clear();
        EXPECT_EQ(MsgTime(s, field), *local == '?' ? "" : local) << field;
        EXPECT_EQ(w.boxes.size(), *local == '?' ? 1u : 0u) << field;
    }
}

// The batch tool on Windows Mail sources (OpenWmStore through `liste`).
// Runs the tool with standard error merged into the output; gives its status.
int Liste(const std::string& source, std::string& out) {
    FILE* p = popen(("TZ=Europe/Paris '" + std::string(PELICARD_CLI) + "' liste '" + source + "' 2>&1").c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    return pclose(p);
}

TEST(WmBatchTool, ListsTheFolderOfAMessageFileOrTheFolderItself) {
    if (!std::filesystem::exists(PELICARD_CLI)) GTEST_SKIP() << "pelicard-extract not built";
    TempFolder dir;
    const std::string folder = dir.Path() + "/R\xC3\xA9" "ception";  // UTF-8 name on disk
    dir.Write("R\xC3\xA9" "ception/b.eml", SimpleEml("Re: Bonjour", "<b>", "<a>").Text());
    dir.Write("R\xC3\xA9" "ception/a.eml", SimpleEml("Bonjour", "<a>").Text());
    for (const std::string& source : {folder + "/a.eml", folder, folder + "/"}) {
        std::string out;
        EXPECT_EQ(Liste(source, out), 0) << source << "\n" << out;
        EXPECT_NE(out.find("2 messages contenus dans le dossier R\xC3\xA9" "ception"), std::string::npos) << out;
        EXPECT_NE(out.find("Bonjour\tAlice <alice@example.org>\t01/01/2009 13:00:00"), std::string::npos) << out;
    }
    std::string out;
    EXPECT_NE(Liste(folder + "/absent.eml", out), 0);
    EXPECT_NE(out.find("Pas de fichier s\xC3\xA9lectionn\xC3\xA9."), std::string::npos) << out;
}

}  // namespace

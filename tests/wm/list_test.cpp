#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/text.hpp"
#include "support/eml_builder.hpp"
#include "support/fake_window.hpp"
#include "wm/complete_list_wm.hpp"
#include "wm/read_msg_wm.hpp"

using namespace pelicard;
using pelicard::testing::FakeWindow;
using pelicard::testing::SimpleEml;
using pelicard::testing::TempFolder;

namespace {

struct Msg {
    std::string subject, id, references;
};

// Entries 1..n as the scan leaves them, then the keys.
std::vector<std::string> Keys(const std::vector<Msg>& msgs) {
    State s;
    s.list.Wm.resize(msgs.size() + 1);
    for (std::size_t i = 0; i < msgs.size(); ++i) {
        s.list.Wm[i + 1].Subject = msgs[i].subject;
        s.list.Wm[i + 1].ThreadKey = msgs[i].id;
        s.list.Wm[i + 1].References = msgs[i].references;
    }
    ThreadKeysWM(s, static_cast<std::int32_t>(msgs.size()));
    std::vector<std::string> keys;
    for (std::size_t i = 1; i <= msgs.size(); ++i) keys.push_back(s.list.Wm[i].ThreadKey);
    return keys;
}

using V = std::vector<std::string>;

TEST(WmThreadKeys, TopmostAncestorInTheFolderGivesTheKey) {
    struct Case {
        const char* name;
        std::vector<Msg> msgs;
        V keys;
    };
    const Case cases[] = {
        {"reply chain, answers listed before what they answer",
         {{"Plan B", "<id3>", "<id1><id2>"}, {"Plan", "<id2>", "<id1>"}, {"Plan", "<id1>", ""}},
         {"<Plan>", "<Plan>", "<Plan>"}},
        {"a reply with another subject joins its parent",
         {{"R\xE9union", "<r1>", ""}, {"Autre sujet", "<r2>", "<x><r1>"}},
         {"<R\xE9union>", "<R\xE9union>"}},
        {"only the direct parent is looked up",
         {{"Racine", "<a>", ""}, {"R\xE9ponse", "<b>", "<a><absent>"}},
         {"<Racine>", "<R\xE9ponse>"}},
        {"identifiers match ignoring case",
         {{"Haut", "<ABC@X>", ""}, {"Bas", "<b>", "<abc@x>"}},
         {"<Haut>", "<Haut>"}},
        {"a subject with > is cut after it", {{"a>b", "<m>", ""}}, {"<a>"}},
        {"references without brackets name nothing",
         {{"Seul", "<m>", ""}, {"Mot", "<n>", "m"}},
         {"<Seul>", "<Mot>"}},
        {"a message naming itself keeps its own subject",
         {{"Boucle", "<self>", "<self>"}},
         {"<Boucle>"}},
        {"messages naming each other take the subject of the first",
         {{"Deux", "<d2>", "<d1>"}, {"Un", "<d1>", "<d2>"}, {"Trois", "<d3>", "<d1>"}},
         {"<Deux>", "<Deux>", "<Deux>"}},
        {"a chain hanging from a cycle",
         {{"A", "<a>", "<c>"}, {"B", "<b>", "<a>"}, {"C", "<c>", "<b>"}, {"D", "<d>", "<b>"}},
         {"<A>", "<A>", "<A>", "<A>"}},
        {"a seed already equal to its settled chain keeps its own case",
         {{"Plan", "<id1>", ""}, {"plan", "<id2>", "<id1>"}},
         {"<Plan>", "<plan>"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Keys(c.msgs), c.keys) << c.name;
}

TEST(WmThreadKeys, DeepChainSettlesWithoutPassingOverAndOver) {
    // 3000 replies, each listed before its parent: the passes would need
    // 3000 rounds of ever longer chains.
    const int n = 3000;
    std::vector<Msg> msgs;
    for (int k = n - 1; k >= 0; --k)
        msgs.push_back({"S" + std::to_string(k), "<m" + std::to_string(k) + ">",
                        k == 0 ? "" : "<m" + std::to_string(k - 1) + ">"});
    V keys = Keys(msgs);
    for (const auto& k : keys) ASSERT_EQ(k, "<S0>");
}

std::vector<std::string> SortedKeys(const V& keys) {
    State s;
    s.list.Wm.resize(keys.size() + 1);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        s.list.Wm[i + 1].ThreadKey = keys[i];
        s.list.Wm[i + 1].FilePath = "f" + keys[i];
        s.list.Wm[i + 1].Body = "b" + keys[i];
    }
    SortWMByID(s, 1, static_cast<std::int32_t>(keys.size()));
    V out;
    for (std::size_t i = 1; i <= keys.size(); ++i) {
        const auto& e = s.list.Wm[i];
        EXPECT_EQ(e.FilePath, "f" + e.ThreadKey);  // entries move whole
        EXPECT_EQ(e.Body, "b" + e.ThreadKey);
        out.push_back(e.ThreadKey);
    }
    return out;
}

TEST(WmSort, CaseInsensitiveFrenchOrderWithEqualKeysTogether) {
    EXPECT_EQ(SortedKeys({}), V{});
    EXPECT_EQ(SortedKeys({"<z>"}), V{"<z>"});
    V got = SortedKeys({"<b>", "<A>", "<a>", "<C>"});
    EXPECT_TRUE(EqualsNoCase(got[0], "<a>") && EqualsNoCase(got[1], "<a>"));
    EXPECT_EQ((V{got[2], got[3]}), (V{"<b>", "<C>"}));
    // Accented letters sort with their base letter, before the next one.
    EXPECT_EQ(SortedKeys({"<F>", "<\xC9t\xE9>", "<Ete>", "<D>"}), (V{"<D>", "<Ete>", "<\xC9t\xE9>", "<F>"}));
    // Keys equal ignoring case stay adjacent among near neighbours.
    got = SortedKeys({"<R\xE9union>", "<Reunion>", "<r\xE9union>", "<REUNION>", "<R\xC9UNION>"});
    auto pos = [&](const std::string& k) { return std::find(got.begin(), got.end(), k) - got.begin(); };
    auto a = pos("<R\xE9union>"), b = pos("<r\xE9union>"), c = pos("<R\xC9UNION>");
    EXPECT_EQ(std::max({a, b, c}) - std::min({a, b, c}), 2);
}

TEST(WmSort, ManyEqualKeysAndOutOfRangeCalls) {
    State s;
    FakeWindow w;
    s.window = &w;
    const int n = 20000;
    s.list.Wm.resize(n + 1);
    for (int i = 1; i <= n; ++i) s.list.Wm[i].ThreadKey = i % 1000 == 0 ? "<A>" : "<(Objet non pr\xE9" "cis\xE9)>";
    SortWMByID(s, 1, n);
    // "(" sorts before the letters.
    for (int i = 1; i <= n; ++i) ASSERT_EQ(s.list.Wm[i].ThreadKey == "<A>", i > n - n / 1000) << i;
    EXPECT_TRUE(w.boxes.empty());
    SortWMByID(s, 1, n + 5);
    ASSERT_EQ(w.boxes.size(), 1u);
    EXPECT_EQ(w.boxes[0].title, "SortWMByID");
}

class WmFolder : public ::testing::Test {
protected:
    void SetUp() override { s.window = &w; }
    FakeWindow w;
    State s;
};

TEST_F(WmFolder, ScanKeepsNonEmptyMessageFilesOfTheFolderOnly) {
    TempFolder dir;
    dir.Write("b.NWS", SimpleEml("Nouvelles", "<n1>").Text());
    dir.Write("a.eml", SimpleEml("Courrier", "<c1>").Text());
    dir.Write("B.eml", SimpleEml("Majuscule", "<c2>").Text());
    dir.Write("c.txt", SimpleEml("Texte", "<t1>").Text());
    dir.Write("d.eml", "");
    dir.Write("x.emlx", "Subject: non\r\n\r\n");
    dir.Write("Sous-dossier/e.eml", SimpleEml("Cach\xE9", "<e1>").Text());
    std::filesystem::create_directory(dir.Path() + "/dossier.eml");

    ASSERT_TRUE(ReadMsgWM(s, dir.Path()));
    ASSERT_EQ(s.wm.WmFileCount, 3);
    EXPECT_EQ(s.list.Mode, StoreMode::WindowsMail);
    // Ascending byte order of the names.
    EXPECT_EQ(s.list.Wm[1].FilePath, dir.Path() + "/B.eml");
    EXPECT_EQ(s.list.Wm[2].FilePath, dir.Path() + "/a.eml");
    EXPECT_EQ(s.list.Wm[3].FilePath, dir.Path() + "/b.NWS");
    EXPECT_EQ(s.list.Wm[3].Subject, "Nouvelles");
    EXPECT_EQ(s.list.Wm[3].ThreadKey, "<n1>");
    EXPECT_TRUE(w.boxes.empty());
}

TEST_F(WmFolder, ABadFileIsLeftOutAndTheScanGoesOn) {
    TempFolder dir;
    dir.Write("1.eml", SimpleEml("Avant", "<1>").Text());
    dir.Write("2.eml", "\r\n\r\n\r\n");  // nothing but line breaks
    dir.Write("3.eml", "Subject: sans corps");
    const char binary[] = "Subject: \0binaire\r\n\r\n\0\0\xFF";
    dir.Write("4.eml", std::string(binary, sizeof binary - 1));
    ASSERT_TRUE(ReadMsgWM(s, dir.Path()));
    EXPECT_EQ(s.wm.WmFileCount, 4);
    EXPECT_EQ(s.list.Wm[3].Subject, "sans corps");
}

TEST_F(WmFolder, FolderWithoutMessageIsToldAndKeepsThePreviousTable) {
    TempFolder full, empty;
    full.Write("a.eml", SimpleEml("Ancien", "<a>").Text());
    ASSERT_TRUE(ReadMsgWM(s, full.Path()));
    empty.Write("vide.eml", "");
    empty.Write("notes.txt", "x");
    EXPECT_FALSE(ReadMsgWM(s, empty.Path()));
    ASSERT_EQ(w.boxes.size(), 1u);
    EXPECT_EQ(w.boxes[0].text, "Le dossier choisi ne contient pas de message valide");
    EXPECT_EQ(w.boxes[0].icon, MsgIcon::Information);
    EXPECT_EQ(s.wm.WmFileCount, 0);
    EXPECT_EQ(s.list.Wm[1].Subject, "Ancien");
    EXPECT_FALSE(ReadMsgWM(s, full.Path() + "/absent"));
    EXPECT_EQ(w.boxes.back().title, "ReadMsgWM");
}

TEST_F(WmFolder, ListBuildGroupsConversationsAndFillsTheView) {
    TempFolder dir;
    dir.Write("1.eml", SimpleEml("R\xE9union", "<r1>").Text());
    dir.Write("2.eml", SimpleEml("Autre", "<o1>").Text());
    dir.Write("3.eml", SimpleEml("Re: r\xE9union", "<r2>").Text());
    dir.Write("4.eml", SimpleEml("Sujet chang\xE9", "<r3>", "<r1> <r2>").Text());
    dir.Write("5.eml", SimpleEml("", "<v1>").Text());
    dir.Write("6.eml", SimpleEml("", "<v2>").Text());
    ASSERT_TRUE(ReadMsgWM(s, dir.Path()));
    CompleteListWM(s);
    ASSERT_EQ(s.list.Count, 6);
    ASSERT_EQ(w.rows.size(), 6u);
    V keys;
    for (int i = 1; i <= 6; ++i) {
        const auto& e = s.list.Wm[i];
        keys.push_back(FoldCase(e.ThreadKey));
        const auto& row = w.rows[static_cast<std::size_t>(i - 1)];
        EXPECT_EQ(row, (V{e.Subject, e.Sender, e.DateText, e.DateKey, std::to_string(i)}));
    }
    EXPECT_EQ(keys, (V{"<(objet non pr\xE9" "cis\xE9)>", "<(objet non pr\xE9" "cis\xE9)>", "<autre>",
                       "<r\xE9union>", "<r\xE9union>", "<r\xE9union>"}));
    EXPECT_FALSE(w.progressVisible);
    EXPECT_EQ(w.panels[3], "  Messages s\xE9lectionn\xE9s");
    EXPECT_EQ(w.panels[4], "");
    for (bool sel : w.selected) EXPECT_FALSE(sel);
    // The build's phases show in panel 4, in order.
    V phases;
    for (const auto& line : w.log)
        if (line.rfind("panel 4 ", 0) == 0) phases.push_back(line.substr(8));
    EXPECT_EQ(phases, (V{"3", "4", "5", ""}));
}

TEST_F(WmFolder, SampleArchivesFolder) {
    const std::string folder = std::string(PELICARD_SAMPLES) + "/wm/Archives";
    ASSERT_TRUE(ReadMsgWM(s, folder));
    // 30 .eml, one .NWS and the LF file; not vide.eml, notes.txt nor the sub-folder.
    EXPECT_EQ(s.wm.WmFileCount, 32);
    const WmMessageEntry* lf = nullptr;
    for (int i = 1; i <= s.wm.WmFileCount; ++i) {
        const auto& e = s.list.Wm[i];
        EXPECT_FALSE(e.Subject.empty()) << e.FilePath;
        EXPECT_NE(e.DateText, "") << e.FilePath;
        if (e.FilePath == folder + "/unix-lf.eml") lf = &e;
    }
    ASSERT_NE(lf, nullptr);
    EXPECT_EQ(lf->Subject, "Fichier aux fins de ligne LF");
    EXPECT_EQ(lf->Sender, "Unix <unix@linux.example>");
    EXPECT_EQ(lf->DateText, "05/03/2007 13:07:09");  // UTC in a fresh state
    EXPECT_EQ(lf->ThreadKey, "<lf-0001@linux.example>");
    CompleteListWM(s);
    EXPECT_EQ(s.list.Count, 32);
    for (int i = 2; i <= s.list.Count; ++i)
        EXPECT_LE(CollateCompare(s.list.Wm[i - 1].ThreadKey, s.list.Wm[i].ThreadKey), 0);
}

}  // namespace

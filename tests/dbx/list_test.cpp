// Building the Outlook Express list: values taken from the records, complete
// messages, status and progress, conversation keys and order.
#include <map>

#include "dbx/conversation.hpp"
#include "dbx_fixture.hpp"

namespace pelicard::testing {
namespace {

// A stored text with its terminating NUL.
std::string Z(const std::string& t) { return t + std::string(1, '\0'); }

TEST_F(DbxTest, SubjectsAreCleanedAsListed) {
    struct Case {
        std::string stored;  // value of 0x08, NUL included when it has one
        std::string listed;
    } cases[] = {
        {Z("Re: RE: R\xE9union"), "R\xE9union"},
        {Z("Re:RE: R\xE9union"), "Re:R\xE9union"},
        {Z("Ordre re: du jour"), "Ordre du jour"},
        {"Re: sans fin", "Re: sans fin"},              // no NUL: kept whole
        {Z("a\tb\r\nc"), "abc"},                       // characters 1-31 go
        {Z(""), "(Objet non pr\xE9" "cis\xE9)"},        // empty
    };
    std::vector<DbxMessage> messages;
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        DbxMessage m = Msg("x", "<id" + std::to_string(k) + ">", "", "Same");
        m.subject.reset();
        messages.push_back(m);
    }
    DbxMessage noSubject = Msg("x", "<none>", "", "Same");
    noSubject.subject.reset();
    messages.push_back(noSubject);
    DbxBuilder b;
    std::vector<std::uint32_t> records;
    for (std::size_t k = 0; k < messages.size(); ++k) {
        auto attrs = DbxBuilder::Attributes(messages[k], b.AddText("Subject: x\r\n\r\n"));
        if (k < std::size(cases)) attrs.push_back(DbxAttr::Indirect(0x08, cases[k].stored));
        records.push_back(b.AddRecord(attrs));
    }
    b.Finish(static_cast<std::uint32_t>(records.size()), b.AddTree(records));
    ASSERT_TRUE(List(b.Bytes()));
    // All share one key, so the stable sort keeps the walk order.
    std::vector<std::string> expected;
    for (const Case& c : cases) expected.push_back(c.listed);
    expected.push_back("(Objet non pr\xE9" "cis\xE9)");
    EXPECT_EQ(Subjects(), expected);
}

TEST_F(DbxTest, OnlyCompleteMessagesAreListedWithTheirRows) {
    DbxMessage noText = Msg("Sans texte", "<n>");
    noText.text.reset();
    DbxMessage direct = Msg("Direct", "<d>");
    direct.directTextPosition = true;
    direct.sender = "Zo\xE9";
    direct.filetime = FileTimeUtc(2007, 7, 14, 22, 30, 5);
    ASSERT_TRUE(List(BuildDbx({Msg("Alpha", "<a>"), noText, direct, Msg("Alpha", "<a>")}, 2)));
    ASSERT_EQ(s.list.Count, 3);
    EXPECT_EQ(s.list.Oe.size(), 4u);
    EXPECT_EQ(Subjects(), (std::vector<std::string>{"Alpha", "Alpha", "Direct"}));  // same OwnId: both listed
    const MessageEntry& e = s.list.Oe[3];
    EXPECT_EQ(e.Sender, "Zo\xE9");
    EXPECT_EQ(e.DateText, "15/07/2007 00:30:05");  // summer time in Paris
    EXPECT_EQ(e.DateKey, "20070715 003005");
    EXPECT_EQ(e.ThreadKey, "<Direct>");
    EXPECT_GT(e.TextOffset, 0);
    ASSERT_EQ(window.rows.size(), 3u);
    EXPECT_EQ(window.rows[2], (std::vector<std::string>{"Direct", "Zo\xE9", "15/07/2007 00:30:05", "20070715 003005", "3"}));
    EXPECT_FALSE(window.sorted);
    EXPECT_EQ(DbxSummaryLabel(s, "Bo\xEEte.dbx"), "3/4 messages complets/contenus dans le fichier Bo\xEEte.dbx");
}

TEST_F(DbxTest, PhasesAreShownInOrder) {
    ASSERT_TRUE(List(BuildDbx({Msg("a", "<ida>"), Msg("b", "<idb>", "<ida>")})));
    std::vector<std::string> panels;
    for (const std::string& l : window.log)
        if (l.rfind("panel", 0) == 0 || l.find("Bar") != std::string::npos) panels.push_back(l);
    const std::vector<std::string> expected = {
        "show Bar", "panel 3   Phases de construction", "panel 4 1", "panel 4 2", "panel 4 3", "panel 4 4",
        "panel 4 4", "panel 4 5", "panel 3   Messages s\xE9lectionn\xE9s", "panel 4 ", "hide Bar"};
    EXPECT_EQ(panels, expected);  // two propagation passes: the second changes nothing
    EXPECT_GE(window.doEvents, 6);
}

TEST_F(DbxTest, NoCompleteMessage) {
    DbxMessage m = Msg("a", "<a>");
    m.text.reset();
    ASSERT_TRUE(List(BuildDbx({m, m})));
    EXPECT_EQ(s.list.Count, 0);
    EXPECT_EQ(window.BoxTexts(), std::vector<std::string>{"Ce fichier ne contient aucun message complet"});
    EXPECT_EQ(window.panels[3], "  Phases de construction");
    EXPECT_EQ(window.panels[4], "2");
    EXPECT_FALSE(window.progressVisible);
    EXPECT_TRUE(window.rows.empty());
}

TEST_F(DbxTest, ProgressMovesEveryHundredItemsAndKeepsItsValueForAHugeHeader) {
    std::vector<DbxMessage> many(250, Msg("a", "<a>"));
    for (auto& m : many) m.text.reset();  // phases 1 and 2 only
    ASSERT_TRUE(List(BuildDbx(many)));
    EXPECT_EQ(window.progressValues, (std::vector<double>{5, 10, 15, 20}));

    // Stepping through every index of a range, or the shortcut, ends alike.
    for (std::int64_t to : {99LL, 2'100LL, 123'456LL}) {
        State a, b;
        a.ProgressValue = b.ProgressValue = 35;
        for (std::int64_t i = 7; i <= to; ++i) AdvanceProgressRange(a, i, i);
        AdvanceProgressRange(b, 7, to);
        EXPECT_EQ(a.ProgressValue, b.ProgressValue) << to;
    }
    // 20 000 000 steps on the 21-value cycle 0, 5 … 100, from 35.
    State big;
    big.ProgressValue = 35;
    AdvanceProgressRange(big, 7, 2'000'000'000);
    EXPECT_EQ(big.ProgressValue, static_cast<double>((7 + 20'000'000) % 21 * 5));
}

TEST(StandardSubject, TrimsCutsAndProtectsTheBrackets) {
    EXPECT_EQ(StandardSubject("  Plan <b> "), "Plan _b_");
    EXPECT_EQ(StandardSubject("   "), "(Objet non pr\xE9" "cis\xE9) ");
    EXPECT_EQ(StandardSubject(std::string(60, 'x') + "<"), std::string(50, 'x'));
}

// The example of the conversation rules: m2 answers m1, m3 answers m2, m4 is
// unrelated with m1's conversation subject; a fifth answers an absent message.
TEST_F(DbxTest, KeysComeFromTheTopmostAncestorInTheFile) {
    ASSERT_TRUE(List(BuildDbx({
        Msg("R\xE9ponse 2", "<id3>", "<id1> <ID2>", "Plan B"),
        Msg("Plan", "<id1>", "", "Plan"),
        Msg("R\xE9ponse", "<id2>", "<id1>", "Plan B"),
        Msg("Autre", "<id4>", "", "Plan"),
        Msg("Orphelin", "<id5>", "<absent>", "Seul"),
        Msg("Orphelin 2", "<id6>", "<ABSENT>", "Solo"),
        Msg("Mot", "<id7>", "motnu", "Nu"),
    })));
    std::map<std::string, std::string> keyOf;
    for (std::int32_t i = 1; i <= s.list.Count; ++i) keyOf[s.list.Oe[static_cast<std::size_t>(i)].Subject] = s.list.Oe[static_cast<std::size_t>(i)].ThreadKey;
    EXPECT_EQ(keyOf["Plan"], "<Plan>");
    EXPECT_EQ(keyOf["R\xE9ponse"], "<Plan>");
    EXPECT_EQ(keyOf["R\xE9ponse 2"], "<Plan>");
    EXPECT_EQ(keyOf["Autre"], "<Plan>");
    EXPECT_EQ(keyOf["Orphelin"], "<Seul>");
    EXPECT_EQ(keyOf["Orphelin 2"], "<Solo>");
    EXPECT_EQ(keyOf["Mot"], "<Nu>");
    // Parents not in the file: «<Plan>», «<absent>» (both orphans, any case), «<Nu>motnu».
    EXPECT_EQ(s.dbx.PlaceholderCount, 3);
    EXPECT_EQ(s.list.Oe.size(), 8u);  // placeholders dropped before the sort
    EXPECT_EQ(Keys(), (std::vector<std::string>{"<Nu>", "<Plan>", "<Plan>", "<Plan>", "<Plan>", "<Seul>", "<Solo>"}));
}

TEST_F(DbxTest, MessagesWithoutConversationSubjectNeverShareAKey) {
    DbxMessage none = Msg("x", "<x>");
    none.convSubject.reset();  // no 0x05 at all counts as an empty one
    DbxMessage empty = Msg("y", "<y>", "", "   ");
    ASSERT_TRUE(List(BuildDbx({none, empty, Msg("z", "<z>", "", "<b>old")})));
    EXPECT_EQ(Keys(), (std::vector<std::string>{"<(Objet non pr\xE9" "cis\xE9) 00001>",
                                                "<(Objet non pr\xE9" "cis\xE9) 00002>", "<_b_old>"}));
}

TEST_F(DbxTest, ReplyLoopsEndAndKeepOneConversation) {
    ASSERT_TRUE(List(BuildDbx({
        Msg("Moi", "<self>", "<self>", "Moi"),
        Msg("A", "<a>", "<b>", "Sujet A"),
        Msg("B", "<b>", "<a>", "Sujet B"),
        Msg("C", "<c>", "<a>", "Sujet C"),
        Msg("X", "<x>", "<z>", "Sujet X"),
        Msg("Y", "<y>", "<x>", "Sujet Y"),
        Msg("Z", "<z>", "<y>", "Sujet Z"),
    })));
    std::map<std::string, std::string> keyOf;
    for (std::int32_t i = 1; i <= s.list.Count; ++i) keyOf[s.list.Oe[static_cast<std::size_t>(i)].Subject] = s.list.Oe[static_cast<std::size_t>(i)].ThreadKey;
    EXPECT_EQ(keyOf["Moi"], "<Moi>");
    // In a loop the message listed first keeps its own subject; the others follow it.
    EXPECT_EQ(keyOf["A"], "<Sujet A>");
    EXPECT_EQ(keyOf["B"], "<Sujet A>");
    EXPECT_EQ(keyOf["C"], "<Sujet A>");
    EXPECT_EQ(keyOf["X"], "<Sujet X>");
    EXPECT_EQ(keyOf["Y"], "<Sujet X>");
    EXPECT_EQ(keyOf["Z"], "<Sujet X>");
    EXPECT_LE(s.dbx.PropagationPasses, 4);
}

// A reply listed before its parent needs one more pass per level.
TEST_F(DbxTest, DeepChainsListedChildFirstReachTheRoot) {
    std::vector<DbxMessage> chain;
    for (int k = 30; k >= 1; --k)
        chain.push_back(Msg("m" + std::to_string(k), "<m" + std::to_string(k) + ">",
                            k == 1 ? "" : "<m" + std::to_string(k - 1) + ">", "Niveau " + std::to_string(k)));
    ASSERT_TRUE(List(BuildDbx(chain)));
    for (const std::string& k : Keys()) EXPECT_EQ(k, "<Niveau 1>");
    EXPECT_EQ(s.dbx.PropagationPasses, 30);
}

TEST_F(DbxTest, SortIsCaseInsensitiveAndFrench) {
    ASSERT_TRUE(List(BuildDbx({Msg("1", "<1>", "", "f"), Msg("2", "<2>", "", "\xC9t\xE9"), Msg("3", "<3>", "", "e"),
                               Msg("4", "<4>", "", "Ete"), Msg("5", "<5>", "", "E")})));
    EXPECT_EQ(Subjects(), (std::vector<std::string>{"3", "5", "4", "2", "1"}));
    // Equal keys stay in their order; a long run of them costs no recursion.
    s.list.Oe.assign(200001, MessageEntry{});
    for (std::size_t i = 1; i < s.list.Oe.size(); ++i) {
        s.list.Oe[i].ThreadKey = i % 2 ? "<A>" : "<a>";
        s.list.Oe[i].TextOffset = static_cast<std::int32_t>(i);
    }
    SortOEByID(s, 1, 200000);
    for (std::size_t i = 2; i < s.list.Oe.size(); ++i) ASSERT_LT(s.list.Oe[i - 1].TextOffset, s.list.Oe[i].TextOffset);
}

}  // namespace
}  // namespace pelicard::testing

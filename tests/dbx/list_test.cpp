// Building the Outlook Express list: values taken from the records, complete
// messages, status and progress, conversation keys and order.
#include "dbx/conversation.hpp"
#include "dbx_fixture.hpp"

namespace pelicard::testing {
namespace {

const std::string kNoSubject = "(Objet non pr\xE9" "cis\xE9)";
using Strings = std::vector<std::string>;

// Records without text are left out; the others keep their walk order
// (here over a two-level tree) within a key.
TEST_F(DbxTest, OnlyCompleteMessagesAreListedWithCleanedSubjects) {
    DbxMessage noText = Msg("Sans texte", "<n>"), direct = Msg("Direct", "<d>");
    noText.text.reset();
    direct.sender = "Zo\xE9";
    direct.filetime = FileTimeUtc(2007, 7, 14, 22, 30, 5);
    DbxBuilder b;
    std::vector<std::uint32_t> records;
    for (const DbxMessage& m : {Msg("Alpha", "<a>"), noText, direct, Msg("Alpha", "<a>")})
        records.push_back(b.AddMessage(m));
    const std::pair<std::string, std::string> cases[] = {
        // stored value of 0x08, NUL included when it has one; listed subject
        {std::string("Re:RE: R\xE9union\0", 16), "Re:R\xE9union"},
        {std::string("Ordre re: du jour\0", 18), "Ordre du jour"},
        {"Re: sans fin", "Re: sans fin"} /* no NUL: kept whole */, {std::string("a\tb\r\nc\0", 7), "abc"},
        {std::string(1, '\0'), kNoSubject},
    };
    Strings expected{"Alpha", "Alpha", "Direct"};
    for (const auto& [stored, listed] : cases) {
        DbxMessage m = Msg("x", "<id" + std::to_string(records.size()) + ">", "", "Same");
        m.subject.reset();
        auto attrs = DbxBuilder::Attributes(m, b.AddText("Subject: x\r\n\r\n"));
        attrs.push_back(DbxAttr::Indirect(0x08, stored));
        records.push_back(b.AddRecord(attrs));
        expected.push_back(listed);
    }
    b.Finish(static_cast<std::uint32_t>(records.size()), b.AddTree(records, 2));
    ASSERT_TRUE(List(b.Bytes()));
    EXPECT_EQ(Listed(&MessageEntry::Subject), expected);
    ASSERT_EQ(window.rows.size(), expected.size());
    EXPECT_EQ(window.rows[2], (Strings{"Direct", "Zo\xE9", "15/07/2007 00:30:05", "20070715 003005", "3"}));

    window = FakeWindow{};
    ASSERT_TRUE(List(BuildDbx({noText, noText})));
    EXPECT_EQ(s.list.Count, 0);
    EXPECT_EQ(window.BoxTexts(), Strings{"Ce fichier ne contient aucun message complet"});
    EXPECT_EQ(window.panels[3], "  Phases de construction");
    EXPECT_FALSE(window.progressVisible);
}

TEST_F(DbxTest, ProgressKeepsItsValueForAHugeHeader) {
    // 20 000 000 steps on the 21-value cycle 0, 5 … 100, from 35, without stepping through them.
    s.ProgressValue = 35;
    AdvanceProgressRange(s, 7, 2'000'000'000);
    EXPECT_EQ(s.ProgressValue, static_cast<double>((7 + 20'000'000) % 21 * 5));
}

// A key is the conversation subject of the topmost ancestor in the file;
// orphans answer absent messages; in a reply loop the message listed first
// keeps its own subject. Keys sort without case, accents second.
TEST_F(DbxTest, KeysComeFromTheTopmostAncestorInTheFileAndSortInFrench) {
    ASSERT_TRUE(List(BuildDbx({
        Msg("R\xE9ponse 2", "<id3>", "<id1> <ID2>", "Plan B"), Msg("Plan", "<id1>", "", "Plan"),
        Msg("R\xE9ponse", "<id2>", "<id1>", "Plan B"), Msg("Autre", "<id4>", "", "Plan"),
        Msg("Orphelin", "<id5>", "<absent>", "Seul"), Msg("Orphelin 2", "<id6>", "<ABSENT>", "Solo"),
        Msg("Mot", "<id7>", "motnu", "Nu"), Msg("Moi", "<self>", "<self>", "Moi"), Msg("A", "<a>", "<b>", "Sujet A"),
        Msg("B", "<b>", "<a>", "Sujet B"), Msg("C", "<c>", "<a>", "Sujet C"), Msg("X", "<x>", "<z>", "Sujet X"),
        Msg("Y", "<y>", "<x>", "Sujet Y"), Msg("Z", "<z>", "<y>", "Sujet Z"), Msg("1", "<1>", "", "f"),
        Msg("2", "<2>", "", "\xC9t\xE9"), Msg("3", "<3>", "", "e"), Msg("4", "<4>", "", "Ete"), Msg("5", "<5>", "", "E"),
    })));
    EXPECT_EQ(Listed(&MessageEntry::ThreadKey),
              (Strings{"<e>", "<E>", "<Ete>", "<\xC9t\xE9>", "<f>", "<Moi>", "<Nu>", "<Plan>", "<Plan>", "<Plan>",
                       "<Plan>", "<Seul>", "<Solo>", "<Sujet A>", "<Sujet A>", "<Sujet A>", "<Sujet X>",
                       "<Sujet X>", "<Sujet X>"}));
    EXPECT_EQ(s.list.Oe.size(), 20u);  // placeholders for parents not in the file dropped before the sort
    EXPECT_LE(s.dbx.PropagationPasses, 4);

    // Equal keys stay in their order; a long run of them costs no recursion.
    s.list.Oe.assign(200001, MessageEntry{});
    for (std::size_t i = 1; i < s.list.Oe.size(); ++i) {
        s.list.Oe[i].ThreadKey = i % 2 ? "<A>" : "<a>";
        s.list.Oe[i].TextOffset = static_cast<std::int32_t>(i);
    }
    SortOEByID(s, 1, 200000);
    for (std::size_t i = 2; i < s.list.Oe.size(); ++i) ASSERT_LT(s.list.Oe[i - 1].TextOffset, s.list.Oe[i].TextOffset);

    // Messages without conversation subject never share a key.
    DbxMessage none = Msg("x", "<x>");
    none.convSubject.reset();  // no 0x05 at all counts as an empty one
    ASSERT_TRUE(List(BuildDbx({none, Msg("y", "<y>", "", "   "), Msg("z", "<z>", "", "<b>old")})));
    EXPECT_EQ(Listed(&MessageEntry::ThreadKey),
              (Strings{"<" + kNoSubject + " 00001>", "<" + kNoSubject + " 00002>", "<_b_old>"}));
}

// A reply listed before its parent needs one more pass per level.
TEST_F(DbxTest, DeepChainsListedChildFirstReachTheRoot) {
    std::vector<DbxMessage> chain;
    for (int k = 30; k >= 1; --k)
        chain.push_back(Msg("m", "<m" + std::to_string(k) + ">", k == 1 ? "" : "<m" + std::to_string(k - 1) + ">",
                            "Niveau " + std::to_string(k)));
    ASSERT_TRUE(List(BuildDbx(chain)));
    EXPECT_EQ(Listed(&MessageEntry::ThreadKey), Strings(30, "<Niveau 1>"));
    EXPECT_EQ(s.dbx.PropagationPasses, 30);
}

}  // namespace
}  // namespace pelicard::testing

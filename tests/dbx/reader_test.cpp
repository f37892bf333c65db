// Header checks, tree walk and index records of the .dbx reader.
#include "dbx/conversions.hpp"
#include "dbx/index_record.hpp"
#include "dbx_fixture.hpp"

namespace pelicard::testing {
namespace {

TEST_F(DbxTest, CountOfTwoToThe31EndsTheProgramUnderTheProgramTitle) {
    EXPECT_EQ(CountValue(s, std::string("\xFF\xFF\xFF\x7F", 4)), 0x7FFFFFFF);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_THROW(CountValue(s, std::string("\x00\x00\x00\x80", 4)), ProgramEnding);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "Pelicard");
    EXPECT_EQ(window.boxes[0].text, faults::kOverflow);
    EXPECT_TRUE(window.closed);
}

// Each header defect is reported once, by the first check that meets it.
TEST_F(DbxTest, HeaderChecksRunInOrderAndReportOnce) {
    const std::string good = BuildDbx({Msg("a", "<a>")});
    struct Case {
        const char* what;
        std::uint32_t at;
        std::string bytes;
    } cases[] = {
        {"first signature", 0x00, std::string("\xCF\xAD\x12\xFF", 4)},
        {"second signature", 0x10, std::string("\x00", 1)},
        {"folder list kind", 0x04, std::string("\xC6\xFD\x74\x6F", 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window.boxes.clear();
        std::string bytes = good;
        bytes.replace(c.at, c.bytes.size(), c.bytes);
        EXPECT_EQ(Open(bytes), 0);
        ASSERT_EQ(window.boxes.size(), 1u);
        EXPECT_EQ(window.boxes[0].text, " Le fichier  " + file->path + " n'est pas un fichier Outlook Express valide ");
        EXPECT_EQ(window.boxes[0].title, "Pelicard");
        EXPECT_TRUE(IsOpen(s.dbx.File));  // stays open whatever the outcome
    }
    // A file failing all three checks is still told once.
    std::string bad = good;
    bad.replace(0, 28, std::string(28, 'x'));
    window.boxes.clear();
    EXPECT_EQ(Open(bad), 0);
    EXPECT_EQ(window.boxes.size(), 1u);
}

TEST_F(DbxTest, EmptyCountAndZeroRoot) {
    DbxBuilder b;
    b.Finish(0, 0x1234);
    EXPECT_EQ(Open(b.Bytes()), 0);
    ASSERT_EQ(window.BoxTexts(), std::vector<std::string>{"Ce fichier ne contient pas de messages"});
    EXPECT_EQ(window.boxes[0].icon, MsgIcon::Information);

    window.boxes.clear();
    DbxBuilder z;
    z.Finish(5, 0);
    EXPECT_EQ(Open(z.Bytes()), 0);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(s.dbx.AnnouncedCount, 5);
}

TEST_F(DbxTest, ShortFileEndsTheProgramUnderReadFileHeader) {
    EXPECT_THROW(Open(BuildDbx({Msg("a")}).substr(0, 0xC6)), ProgramEnding);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "ReadFileHeader");
    EXPECT_EQ(window.boxes[0].text, faults::kReadPastEnd);
}

// Root R: (r1, child A), (r2, no child), node child B: r1, A's records, r2, B's.
TEST_F(DbxTest, WalkOrderFollowsEntriesThenTheirChildrenThenTheNodeChild) {
    DbxBuilder b;
    std::vector<std::uint32_t> r;
    for (int k = 0; k < 7; ++k) r.push_back(b.AddRecord({DbxAttr::Direct(0x84, 1)}));
    const std::uint32_t a2 = b.AddNode({{r[3], 0}});
    const std::uint32_t a = b.AddNode({{r[1], a2}, {r[2], 0}});
    const std::uint32_t empty = b.AddNode({}, 0);
    const std::uint32_t bNode = b.AddNode({{0, b.AddNode({{r[5], 0}})}, {r[6], 0}}, 0);
    const std::uint32_t bWrap = b.AddNode({}, bNode);  // count 0: only its 0x08 child counts
    const std::uint32_t root = b.AddNode({{r[0], a}, {r[4], empty}}, bWrap);
    b.Finish(7, root);
    ASSERT_EQ(Open(b.Bytes()), static_cast<std::int32_t>(root));
    StartTreeWalk(s, root);
    const std::vector<std::int32_t> expected = {
        static_cast<std::int32_t>(r[0]), static_cast<std::int32_t>(r[1]), static_cast<std::int32_t>(r[3]),
        static_cast<std::int32_t>(r[2]), static_cast<std::int32_t>(r[4]), static_cast<std::int32_t>(r[5]),
        static_cast<std::int32_t>(r[6])};
    EXPECT_EQ(CollectedOffsets(), expected);
    EXPECT_EQ(s.dbx.CollectedCount, 7);

    ReadMsgHeader(s, 0);
    EXPECT_EQ(s.dbx.CollectedCount, 7);  // an offset below 1 reads nothing
}

TEST_F(DbxTest, WalkSurvivesLoopsAndStopsAtTheAnnouncedCount) {
    DbxBuilder b;
    std::vector<std::uint32_t> r;
    for (int k = 0; k < 4; ++k) r.push_back(b.AddRecord({DbxAttr::Direct(0x84, 1)}));
    // The root's entry child and node child both point back at the root.
    const std::uint32_t root = b.Size();
    b.AddNode({{r[0], root}, {r[1], root}, {r[2], 0}, {r[3], 0}}, root);
    b.Finish(4, root);
    ASSERT_GT(Open(b.Bytes()), 0);
    StartTreeWalk(s, root);
    EXPECT_EQ(s.dbx.CollectedCount, 4);
    EXPECT_TRUE(window.boxes.empty());

    // Announcing fewer records than the tree holds: collecting stops there.
    std::string fewer = b.Bytes();
    fewer.replace(0xC4, 4, Le32(2));
    ASSERT_GT(Open(fewer), 0);
    StartTreeWalk(s, root);
    EXPECT_EQ(s.dbx.CollectedCount, 2);
    EXPECT_EQ(s.dbx.Records.size(), 3u);

    // A huge announced count does not size any table.
    std::string huge = b.Bytes();
    huge.replace(0xC4, 4, Le32(0x7FFFFFF0));
    ASSERT_GT(Open(huge), 0);
    StartTreeWalk(s, root);
    EXPECT_EQ(s.dbx.Records.size(), 5u);
    CompleteListOE(s);
    EXPECT_EQ(s.list.Count, 4);
    EXPECT_EQ(DbxSummaryLabel(s, "a.dbx"), "4/2147483632 messages complets/contenus dans le fichier a.dbx");
}

TEST_F(DbxTest, NodeMarkerMismatchIsToldAndEndsTheProgram) {
    DbxBuilder b;
    const std::uint32_t r = b.AddRecord({DbxAttr::Direct(0x84, 1)});
    const std::uint32_t child = b.AddNode({{r, 0}});
    const std::uint32_t root = b.AddNode({{0, child}});
    b.Finish(1, root);
    std::string bytes = b.Bytes();
    bytes.replace(child, 4, std::string(4, '\0'));
    ASSERT_GT(Open(bytes), 0);
    EXPECT_THROW(StartTreeWalk(s, root), ProgramEnding);
    ASSERT_EQ(window.boxes.size(), 1u);
    std::string hex;
    for (std::uint32_t v = child; v; v >>= 4) hex.insert(hex.begin(), "0123456789ABCDEF"[v & 15]);
    EXPECT_EQ(window.boxes[0].text, "Incoh\xE9rence marqueur arbre " + hex + " / 00000000");
    EXPECT_EQ(window.boxes[0].title, "ReadTreeHeader");
    EXPECT_TRUE(window.closed);
}

TEST_F(DbxTest, NodeBeyondTheFileIsToldAndSkipped) {
    DbxBuilder b;
    const std::uint32_t r = b.AddRecord({DbxAttr::Direct(0x84, 1)});
    const std::uint32_t root = b.AddNode({{r, 0x7FFF0000}}, 0);
    b.Finish(2, root);
    ASSERT_GT(Open(b.Bytes()), 0);
    StartTreeWalk(s, root);
    EXPECT_EQ(s.dbx.CollectedCount, 1);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "ReadTreeHeader");
    EXPECT_FALSE(window.closed);
}

class RecordTest : public DbxTest {
protected:
    // One record, read as entry 1.
    void Read(const std::vector<DbxAttr>& attrs, std::string patchData = {}) {
        DbxBuilder b;
        const std::uint32_t r = b.AddRecord(attrs);
        if (!patchData.empty()) b.Patch(r, patchData);
        b.Finish(1, b.AddNode({{r, 0}}));
        ASSERT_GT(Open(b.Bytes()), 0);
        s.dbx.Records.assign(2, {});
        s.dbx.Records[1].RecordOffset = static_cast<std::int32_t>(r);
        ReadIndexRecord(s, 1);
    }
    std::string Value(int d) { return ParamICarValue(s, 1, d, Greater(s, 1, d)); }
};

TEST_F(RecordTest, IndirectValuesEndWhereTheNextBegins) {
    // Data area of 40 bytes: values at 0, 8 and 12 have lengths 8, 4 and 29.
    Read({DbxAttr::Indirect(0x02, "AAAAAAAA"), DbxAttr::Indirect(0x04, "BBBB"), DbxAttr::Direct(0x90, 7),
          DbxAttr::Indirect(0x05, std::string(28, 'C'))});
    EXPECT_EQ(Greater(s, 1, 0x02), 8);
    EXPECT_EQ(Greater(s, 1, 0x04), 4);
    EXPECT_EQ(Greater(s, 1, 0x05), 29);
    EXPECT_EQ(Value(0x05), std::string(28, 'C'));  // reading stops at the end of the data area
    EXPECT_EQ(ParamDCarValue(s, 1, 3), Le24(7));
}

TEST_F(RecordTest, StartBeyondTheDataAreaGivesAnEmptyValue) {
    Read({DbxAttr::Indirect(0x07, "id"), DbxAttr{0x08, {}, 500u}});
    EXPECT_EQ(Value(0x08), "");
    EXPECT_EQ(Value(0x07), "id");
}

TEST_F(RecordTest, TextPositionTakesTheLastOf04And84) {
    struct Case {
        std::vector<DbxAttr> attrs;
        std::int32_t expected;
    } cases[] = {
        {{DbxAttr::U32(0x04, 0x3000), DbxAttr::Direct(0x84, 0x900000)}, 0x900000},
        {{DbxAttr::Direct(0x84, 0x900000), DbxAttr::U32(0x04, 0x3000)}, 0x3000},
        {{DbxAttr::Direct(0x84, 0x900000)}, 9437184},
        {{DbxAttr::Text(0x08, "sujet")}, 0},
        {{}, 0},
    };
    for (const Case& c : cases) {
        Read(c.attrs);
        EXPECT_EQ(FindTextOffset(s, 1), c.expected);
    }
}

TEST_F(RecordTest, WrongMarkerLeavesTheRecordUnread) {
    Read({DbxAttr::Direct(0x84, 1)}, Le32(12345));
    EXPECT_FALSE(s.dbx.Records[1].Read);
    EXPECT_EQ(FindTextOffset(s, 1), 0);
    EXPECT_TRUE(window.boxes.empty());
}

// Identifiers 0x34 to 0x4F and data areas past 32 767 bytes are read like any other.
TEST_F(RecordTest, NoSlotOrSixteenBitLimits) {
    const std::string big(40000, 'x');
    Read({DbxAttr::Indirect(0x40, big), DbxAttr::Text(0x08, "Sujet"), DbxAttr::Indirect(0x4F, "zz")});
    EXPECT_EQ(Value(0x40), big);
    EXPECT_EQ(Value(0x08), std::string("Sujet\0", 6));
    EXPECT_EQ(Value(0x4F), "zz");
}

TEST_F(RecordTest, LengthShorterThanTheTableFails) {
    DbxBuilder b;
    const std::uint32_t r = b.AddRecord({DbxAttr::Direct(0x84, 1), DbxAttr::Direct(0x80, 1)});
    b.Patch(r, Le32(r) + Le32(3));  // L = 3 for 2 attributes
    b.Finish(1, b.AddNode({{r, 0}}));
    ASSERT_GT(Open(b.Bytes()), 0);
    StartTreeWalk(s, static_cast<std::int32_t>(CountValue(s, b.Bytes().substr(0xE4, 4))));
    EXPECT_THROW(CompleteListOE(s), ProgramEnding);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "CompleteListOE");
}

}  // namespace
}  // namespace pelicard::testing

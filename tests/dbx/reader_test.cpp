// Header checks, tree walk and index records of the .dbx reader, against
// damaged and hostile stores.
#include <unistd.h>

#include <cstdio>

#include "dbx/conversions.hpp"
#include "dbx/index_record.hpp"
#include "dbx/tree.hpp"
#include "dbx_fixture.hpp"

namespace pelicard::testing {
namespace {

void ExpectOneBox(const FakeWindow& w, const std::string& title, const std::string& text, bool closed) {
    ASSERT_EQ(w.boxes.size(), 1u);
    EXPECT_EQ(w.boxes[0].title, title);
    if (!text.empty()) { EXPECT_EQ(w.boxes[0].text, text); }
    EXPECT_EQ(w.closed, closed);
}

TEST_F(DbxTest, CountOfTwoToThe31EndsTheProgramUnderTheProgramTitle) {
    EXPECT_EQ(CountValue(s, std::string("\xFF\xFF\xFF\x7F", 4)), 0x7FFFFFFF);
    EXPECT_THROW(CountValue(s, std::string("\x00\x00\x00\x80", 4)), ProgramEnding);
    ExpectOneBox(window, "Pelicard", faults::kOverflow, true);
}

// Each header defect is reported once, by the first check that meets it.
TEST_F(DbxTest, HeaderChecksReportOnce) {
    const std::string good = BuildDbx({Msg("a", "<a>")});
    const std::pair<std::uint32_t, std::string> cases[] = {
        {0x00, std::string("\xCF\xAD\x12\xFF", 4)}, {0x10, std::string(1, '\0')},  // first, second signature
        {0x04, std::string("\xC6\xFD\x74\x6F", 4)}, {0x00, std::string(28, 'x')},   // folder list kind; all three
    };
    for (const auto& [at, patch] : cases) {
        window.boxes.clear();
        EXPECT_EQ(Open(std::string(good).replace(at, patch.size(), patch)), 0);
        ExpectOneBox(window, "Pelicard", " Le fichier  " + file->path + " n'est pas un fichier Outlook Express valide ",
                     false);
        EXPECT_TRUE(IsOpen(s.dbx.File));  // stays open whatever the outcome
    }
    DbxBuilder b;
    b.Finish(0, 0x1234);
    window.boxes.clear();
    EXPECT_EQ(Open(b.Bytes()), 0);
    EXPECT_EQ(window.BoxTexts(), std::vector<std::string>{"Ce fichier ne contient pas de messages"});

    window.boxes.clear();
    EXPECT_THROW(Open(good.substr(0, 0xC6)), ProgramEnding);
    ExpectOneBox(window, "ReadFileHeader", faults::kReadPastEnd, true);
}

TEST_F(DbxTest, WalkSurvivesLoopsAndBrokenNodesAndStopsAtTheAnnouncedCount) {
    DbxBuilder b;
    std::vector<std::uint32_t> r;
    for (int k = 0; k < 4; ++k) r.push_back(b.AddRecord({DbxAttr::Direct(0x84, 1)}));
    // The root's entry child and node child both point back at the root.
    const std::uint32_t root = b.Size();
    b.AddNode({{r[0], root}, {r[1], root}, {r[2], 0}, {r[3], 0}}, root);
    b.Finish(4, root);
    // Announced 4, 2 and a huge count: collecting stops there, and no table is sized by it.
    const std::pair<std::uint32_t, std::int32_t> cases[] = {{4, 4}, {2, 2}, {0x7FFFFFF0, 4}};
    for (const auto& [announced, collected] : cases) {
        ASSERT_GT(Open(std::string(b.Bytes()).replace(0xC4, 4, Le32(announced))), 0);
        StartTreeWalk(s, root);
        EXPECT_EQ(s.dbx.CollectedCount, collected);
        EXPECT_EQ(s.dbx.Records.size(), static_cast<std::size_t>(collected + 1));
    }
    EXPECT_TRUE(window.boxes.empty());
    CompleteListOE(s);
    EXPECT_EQ(DbxSummaryLabel(s, "a.dbx"), "4/2147483632 messages complets/contenus dans le fichier a.dbx");

    // Broken nodes are told.
    window.boxes.clear();
    DbxBuilder c;
    const std::uint32_t rec = c.AddRecord({DbxAttr::Direct(0x84, 1)});
    const std::uint32_t child = c.AddNode({{rec, 0}});
    const std::uint32_t top = c.AddNode({{0, child}, {rec, 0x7FFF0000}});  // the second child is beyond the file
    c.Finish(3, top);
    ASSERT_GT(Open(c.Bytes()), 0);
    StartTreeWalk(s, top);
    EXPECT_EQ(s.dbx.CollectedCount, 1);  // the record named by both nodes is claimed once
    ExpectOneBox(window, "ReadTreeHeader", faults::kReadPastEnd, false);

    window.boxes.clear();
    ASSERT_GT(Open(std::string(c.Bytes()).replace(child, 4, std::string(4, '\0'))), 0);
    EXPECT_THROW(StartTreeWalk(s, top), ProgramEnding);
    char text[64];
    std::snprintf(text, sizeof text, "Incoh\xE9rence marqueur arbre %X / 00000000", child);
    ExpectOneBox(window, "ReadTreeHeader", text, true);
}

// Nodes packed every 24 bytes up to 0x10000, each claiming 255 entries that
// run over the nodes after it (every other one the message record, the others
// nodes read as attribute-less records): 66 KB naming some 600 000 records.
std::string OverlappingNodes() {
    DbxBuilder b;
    const std::uint32_t record = b.AddMessage(Msg("Sujet"));
    const std::uint32_t root = 24 * ((b.Size() + 23) / 24);  // so that 0xFF00 = 24 * 2720 is a node
    b.AddRaw(std::string(root - b.Size(), '\0'));
    for (std::uint32_t at = root; at + 24 < 0x10000; at += 24) {
        // marker, 0, node child, message record, count 255 at 0x11 (entry child 0xFF00, a node), 0.
        b.AddRaw(Le32(at) + Le32(0) + Le32(at + 48 < 0x10000 ? at + 24 : 0) + Le32(record) +
                 std::string("\x00\xFF\x00\x00", 4) + Le32(0));
    }
    b.AddRaw(std::string(12 * 256, '\0'));
    b.Finish(0x7FFFFFFF, root);
    return b.Bytes();
}

// Nodes and records may not overlap: each byte range is claimed once, so the
// packed nodes name their one message once, even when a sparse tail makes the
// file 3 GB long; a record length claiming 2 GB of it reads no more than a
// bounded data area.
TEST_F(DbxTest, OverlappingNodesAndRecordsAreClaimedOnceEvenInASparseFile) {
    const std::string bytes = OverlappingNodes();
    for (const bool sparse : {false, true}) {
        TempFile f(bytes, sparse ? "sparse.dbx" : "packed.dbx");
        if (sparse) { ASSERT_EQ(::truncate(f.path.c_str(), 3LL << 30), 0); }
        s.dbx.ChosenPath = f.path;
        const std::int32_t root = ReadFileHeader(s);
        ASSERT_GT(root, 0);
        StartTreeWalk(s, root);
        EXPECT_EQ(s.dbx.CollectedCount, 1) << sparse;
        CompleteListOE(s);
        EXPECT_FALSE(s.Quitting);
        ASSERT_EQ(s.list.Count, 1);
        EXPECT_EQ(s.list.Oe[1].Subject, "Sujet");
    }
    TempFile f(bytes, "huge.dbx");
    ASSERT_EQ(::truncate(f.path.c_str(), 3LL << 30), 0);
    s.dbx.ChosenPath = f.path;
    StartTreeWalk(s, ReadFileHeader(s));
    const std::uint32_t record = s.dbx.Records[1].RecordOffset;
    FILE* w = std::fopen(f.path.c_str(), "r+b");
    std::fseek(w, record + 4, SEEK_SET);
    std::fwrite(Le32(0x7FFFFF00).data(), 1, 4, w);
    std::fclose(w);
    ReadIndexRecord(s, 1);
    EXPECT_LE(s.dbx.HeldData.size(), 16u << 20);
}

// A range is taken only when it meets none taken before, whichever table
// holds them: records in file order, records out of it, nodes.
TEST(ClaimedRangesTest, EachByteIsClaimedOnce) {
    struct Claim {
        std::int64_t start, end;
        bool record, taken;
    };
    const std::vector<std::vector<Claim>> cases = {
        // in order, touching, then the same record again and one inside
        {{100, 112, true, true}, {112, 124, true, true}, {100, 112, true, false}, {104, 116, true, false}},
        // a node far ahead, then records before it and one running into it
        {{5000, 5042, false, true}, {100, 112, true, true}, {200, 212, true, true}, {4990, 5002, true, false},
         {5030, 5042, true, false}, {5042, 5054, true, true}},
        // a record behind the last one: kept apart, still checked both ways
        {{300, 312, true, true}, {100, 112, true, true}, {106, 118, true, false}, {110, 120, false, false},
         {112, 300, false, true}, {305, 307, false, false}, {312, 324, true, true}},
        // a node over records taken in order
        {{100, 112, true, true}, {130, 142, true, true}, {90, 101, false, false}, {111, 131, false, false},
         {112, 130, false, true}, {141, 150, true, false}},
    };
    for (std::size_t c = 0; c < cases.size(); ++c) {
        ClaimedRanges claimed;
        for (std::size_t k = 0; k < cases[c].size(); ++k) {
            const Claim& a = cases[c][k];
            EXPECT_EQ(claimed.Claim(a.start, a.end, a.record), a.taken) << "case " << c << ", claim " << k;
        }
    }
}

// Values end where the next begins and at the end of the data area; identifiers
// 0x34 to 0x4F and data areas past 32 767 bytes are read like any other. The
// text position is the last of 0x04 and 0x84; a wrong marker leaves the record unread.
TEST_F(DbxTest, RecordValuesStayInTheirRecord) {
    auto read = [&](const std::vector<DbxAttr>& attrs, const std::string& patch = {}) {  // as entry 1
        DbxBuilder b;
        const std::uint32_t r = b.AddRecord(attrs);
        if (!patch.empty()) b.Patch(r, patch);
        b.Finish(1, b.AddNode({{r, 0}}));
        ASSERT_GT(Open(b.Bytes()), 0);
        s.dbx.Records.assign(2, {});
        s.dbx.Records[1].RecordOffset = static_cast<std::int32_t>(r);
        ReadIndexRecord(s, 1);
    };
    auto value = [&](int d) { return ParamICarValue(s, 1, d, Greater(s, 1, d)); };
    const std::string big(40000, 'x');
    read({DbxAttr::Indirect(0x40, big), DbxAttr::Indirect(0x04, "BBBB"), DbxAttr::Direct(0x90, 7),
          DbxAttr::Indirect(0x4F, std::string(28, 'C')), DbxAttr{0x08, {}, 500000u}});
    EXPECT_EQ(value(0x40), big);
    EXPECT_EQ(Greater(s, 1, 0x04), 4);
    EXPECT_EQ(value(0x4F), std::string(28, 'C'));
    EXPECT_EQ(value(0x08), "");  // starts beyond the data area
    EXPECT_EQ(ParamDCarValue(s, 1, 3), Le24(7));

    read({DbxAttr::U32(0x04, 0x3000), DbxAttr::Direct(0x84, 0x900000)});
    EXPECT_EQ(FindTextOffset(s, 1), 0x900000);
    read({DbxAttr::Direct(0x84, 0x900000), DbxAttr::U32(0x04, 0x3000)});
    EXPECT_EQ(FindTextOffset(s, 1), 0x3000);
    read({DbxAttr::Direct(0x84, 1)}, Le32(12345));
    EXPECT_FALSE(s.dbx.Records[1].Read);
    EXPECT_EQ(FindTextOffset(s, 1), 0);

    // Two records read one after the other: each keeps its own values.
    DbxBuilder b;
    const std::uint32_t r1 = b.AddRecord({DbxAttr::Indirect(0x08, "Premier")});
    const std::uint32_t r2 = b.AddRecord({DbxAttr::Indirect(0x08, "Second"), DbxAttr::Direct(0x84, 9)});
    b.Finish(2, b.AddNode({{r1, 0}, {r2, 0}}));
    ASSERT_GT(Open(b.Bytes()), 0);
    s.dbx.Records.assign(3, {});
    s.dbx.Records[1].RecordOffset = static_cast<std::int32_t>(r1), s.dbx.Records[2].RecordOffset = static_cast<std::int32_t>(r2);
    ReadIndexRecord(s, 1), ReadIndexRecord(s, 2);
    EXPECT_EQ(value(0x08).substr(0, 7), "Premier");
    EXPECT_EQ(FindTextOffset(s, 2), 9);
    EXPECT_EQ(ParamICarValue(s, 2, 0x08, 6), "Second");
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(DbxTest, RecordLengthShorterThanItsTableEndsTheProgram) {
    DbxBuilder b;
    const std::uint32_t r = b.AddRecord({DbxAttr::Direct(0x84, 1), DbxAttr::Direct(0x80, 1)});
    b.Patch(r, Le32(r) + Le32(3));  // L = 3 for 2 attributes
    b.Finish(1, b.AddNode({{r, 0}}));
    EXPECT_THROW(List(b.Bytes()), ProgramEnding);
    ExpectOneBox(window, "CompleteListOE", "", true);
}

}  // namespace
}  // namespace pelicard::testing

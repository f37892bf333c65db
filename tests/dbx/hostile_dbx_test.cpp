// Hostile .dbx stores built in code: trees whose nodes overlap so that a
// small file names far more index records than it could hold.
#include <gtest/gtest.h>

#include "dbx/dbx_fixture.hpp"

namespace pelicard::testing {
namespace {

// Nodes packed every 24 bytes from `first` to below 0x10000: each node's
// entries run over the nodes after it, so every node yields 255 entries
// (each other one the real message record, the others the nodes themselves,
// read as attribute-less records). A 66 KB file names some 600 000 records.
std::string OverlappingNodes(std::uint32_t* nodes) {
    DbxBuilder b;
    const std::uint32_t record = b.AddMessage(Msg("Sujet"));
    // A multiple of 24 past the record, so that 0xFF00 (= 24 * 2720) is a node.
    const std::uint32_t kRoot = 24 * ((b.Size() + 23) / 24);
    b.AddRaw(std::string(kRoot - b.Size(), '\0'));
    std::uint32_t n = 0;
    for (std::uint32_t at = kRoot; at + 24 < 0x10000; at += 24, ++n) {
        const std::uint32_t next = at + 48 < 0x10000 ? at + 24 : 0;
        // marker, 0 (record length, entry child), node child, message record,
        // 00 FF 00 00 (entry count 255 at 0x11; entry child 0xFF00, a node),
        // 0.
        b.AddRaw(Le32(at) + Le32(0) + Le32(next) + Le32(record) + std::string("\x00\xFF\x00\x00", 4) + Le32(0));
    }
    b.AddRaw(std::string(12 * 256, '\0'));
    b.Finish(0x7FFFFFFF, kRoot);
    *nodes = n;
    return b.Bytes();
}

TEST_F(DbxTest, OverlappingNodesCollectNoMoreRecordsThanTheFileCanHold) {
    std::uint32_t nodes = 0;
    const std::string bytes = OverlappingNodes(&nodes);
    ASSERT_GT(nodes, 2000u);
    const std::int32_t root = Open(bytes);
    ASSERT_GT(root, 0);
    StartTreeWalk(s, root);
    // A record takes at least 12 bytes (marker, length, count), so a file of
    // F bytes holds at most F / 12 of them.
    EXPECT_LE(s.dbx.CollectedCount, static_cast<std::int32_t>(bytes.size() / 12));
    EXPECT_GT(s.dbx.CollectedCount, 1000);
    CompleteListOE(s);
    EXPECT_FALSE(s.Quitting);
    EXPECT_GT(s.list.Count, 500);
    EXPECT_EQ(s.list.Oe[1].Subject, "Sujet");
}

}  // namespace
}  // namespace pelicard::testing

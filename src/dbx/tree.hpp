// The walk of the message index tree: collects the offsets of the index
// records into s.dbx.Records, in visiting order.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "common/state.hpp"

namespace pelicard {

// The walk starter: re-creates the index-record table (entry 0 only; it grows
// with what the walk collects, up to the announced count) and walks from root.
void StartTreeWalk(State& s, std::int32_t root);
// Checks the node's marker, yields its entry count and returns the child
// offset at 0x08. A wrong marker is told in a box titled ReadTreeHeader and
// ends the program; a read failure is told likewise, then the node counts as
// empty (count 0, child 0) and the walk goes on.
std::int32_t ReadTreeHeader(State& s, std::int32_t node, int& entryCount);
// Walks the subtree at node. Each node is visited once, and collecting stops
// at the announced count.
void ReadMsgHeader(State& s, std::int32_t node);

// Disjoint byte ranges [start, end) of the file. Records mostly come in
// file order: a record's range past every one so far goes at the end of a
// sorted table, without a node of its own; nodes and the other records go to
// a tree. A range is taken when it meets none of either.
class ClaimedRanges {
public:
    // True, the range taken, when it meets no range taken before.
    bool Claim(std::int64_t start, std::int64_t end, bool record);

private:
    struct Range {
        std::int64_t start, end;
    };
    std::vector<Range> inOrder_;
    std::map<std::int64_t, std::int64_t> others_;
};

}  // namespace pelicard

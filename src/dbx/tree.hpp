// The walk of the message index tree: collects the offsets of the index
// records into s.dbx.Records, in visiting order.
#pragma once
#include <cstdint>

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

}  // namespace pelicard

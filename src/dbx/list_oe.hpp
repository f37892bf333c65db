// Building the Outlook Express message list from the collected index records.
#pragma once
#include <cstdint>
#include <string>

#include "common/state.hpp"

namespace pelicard {

// Reads every collected record, keeps the complete messages, computes the
// conversation keys, sorts by them and fills the list view. Stops, with an
// empty table, when s.CancelRequested is found set as the window runs.
void CompleteListOE(State& s);

// Walks the index tree from `root` (StartTreeWalk), then builds the list
// (CompleteListOE), the tables of a large file laid out during the walk.
void ListIndexOE(State& s, std::int32_t root);

// Calls AdvanceProgress for every index in from … to, without walking a
// range that a damaged header made huge.
void AdvanceProgressRange(State& s, std::int64_t from, std::int64_t to);

// Opening a file: the three names never read ("pop3uidl.dbx", "offline.dbx",
// "folders.dbx", any letter case), the refusal text, and the summary label
// N + "/" + count + " messages complets/contenus dans le fichier " + name.
bool IsRefusedDbxName(const std::string& fileName);
std::string RefusedDbxText(const std::string& fileName);
std::string DbxSummaryLabel(const State& s, const std::string& fileName);

}  // namespace pelicard

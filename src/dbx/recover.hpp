// Getting messages back from a damaged .dbx file: a pass over the whole
// file that trusts neither the header nor the index tree. It finds the
// message text blocks, live and freed, chains them through their next-block
// offsets, leaves the chains the index reaches to the index and lists the
// others after the indexed messages, as recovered (live blocks) or deleted
// (blocks the client freed when the message was deleted).
//
// A live block: self offset, 0x200, text length, next block, then 512 text
// bytes. A freed block: self offset, 0x1FC, 0x210, the old next block (not
// cleared), then the free-list link over its first 4 text bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/byte_file.hpp"
#include "common/state.hpp"

namespace pelicard {

// One block header found by the pass.
struct ScannedBlock {
    std::uint32_t Offset = 0;
    std::uint32_t Next = 0;    // the next block; for a freed block, the one it had
    std::uint16_t Length = 0;  // text bytes readable from the text start
    bool Freed = false;
};

// The whole-file pass: every offset is tried, the file is read in pieces of
// a few megabytes, a found block claims its 0x210 bytes. `cancel`, when set
// between two pieces, stops the pass (false is then returned).
bool ScanTextBlocks(const ByteFile& f, std::vector<ScannedBlock>& out, const bool* cancel = nullptr);

// Chains the scanned blocks into s.dbx.Recovery, leaving out every block that
// the chains of entries 1 … s.list.Count reach. Each block goes to one chain.
void BuildRecoveredChains(State& s, const std::vector<ScannedBlock>& blocks);

// The scan of the open file (s.dbx.File) behind the indexed entries 1 … Count:
// appends one entry per rebuilt chain (fields from its own header lines,
// conversation order among themselves) and its list-view row. Returns the
// number of entries added; a file without any message text is told in a box.
std::int32_t RecoverMessages(State& s, const bool* cancel = nullptr);

// The stored text of recovered chain `chain` as rebuilt. With `marks`, each
// freed block's lost bytes are marked by kLostBytesMark and the marks'
// positions returned; without, the lost bytes are simply left out.
std::string RecoveredChainText(State& s, std::int32_t chain, std::vector<std::size_t>* marks = nullptr);

// «[…]» in Windows-1252.
inline const char* const kLostBytesMark = "[\x85]";

// The text a raw copy of entry `index` writes: texts.RawText, without the
// marks that the last read of a deleted message put in it.
const std::string& RawCopyText(State& s, std::int32_t index, std::string& scratch);

// How the index of a file opened under the guard below was read.
enum class IndexRead {
    Listed,   // header, tree and records read (the list may be empty)
    Refused,  // the file could not be opened, or its header announces no message
    Damaged,  // wrong signatures, no tree root, a tree that names fewer records
              // than announced, or a fault in the walk or the list build
};

// The header check, the tree walk and the list build of the open command on
// s.dbx.ChosenPath, where a damaged file does not end the program: the boxes
// tell what was met, and a list build cut short leaves an empty list.
IndexRead ReadIndexGuarded(State& s);

// Summary of the last recovery scan: " ; récupérés : R, supprimés : D".
std::string RecoverySummary(const State& s);

// "indexé", "récupéré" or "supprimé" (Windows-1252).
const char* RecoveryStateName(RecoveryState r);

}  // namespace pelicard

// The part of the shared state that the .dbx reader owns.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/byte_file.hpp"

namespace pelicard {

// Identifiers below this are indirect attributes (their number is an offset
// into the data area); every one of them has a value slot.
inline constexpr int kIndirectLimit = 0x50;

// One message index record while the list is built. Entry 0 of the table is
// not used; RecordOffset 0 means no record. The bytes of the record read
// last are held once, in DbxState.
struct DbxIndexRecord {
    std::int32_t RecordOffset = 0;
    std::int32_t AttributeCount = 0;
    bool Read = false;           // marker matched and the record was read
    std::int32_t TextOffset = 0; // kept once the record's values are taken
};

// A small read window over the open file: index records and tree nodes lie
// close together, so one read serves several of them.
struct DbxReadWindow {
    const void* handle = nullptr;  // the file the window was read from
    std::int64_t start = -1;
    std::string bytes;
    unsigned growth = 0;  // forward refills in a row (the window is 2^growth times the small one)
};

// Where each indirect value of one record begins and its last byte
// (inclusive), by identifier: kept for the record last asked about, and
// worked out again from its attribute table for another.
struct DbxValueSlots {
    std::int32_t record = -1;
    const void* table = nullptr;  // identity of the attribute table they came from
    std::int64_t start[kIndirectLimit] = {};
    std::int64_t end[kIndirectLimit] = {};
};

// One text block of a chain rebuilt by the recovery scan.
struct RecoveredBlock {
    std::uint32_t Offset = 0;  // the block's header
    std::uint16_t Length = 0;  // text bytes kept, from Offset + 16 (Offset + 20 when freed)
    bool Freed = false;        // the free-list link overwrote its first 4 text bytes
};

// What the last recovery scan rebuilt: the chains no index record reaches.
struct DbxRecovery {
    std::vector<RecoveredBlock> Blocks;         // every chain, back to back
    std::vector<std::uint32_t> ChainStart{0};   // chain k (1-based): Blocks[ChainStart[k-1]] … before ChainStart[k]
    bool Scanned = false;                       // the scan ran on the open file
    std::int64_t ScannedBlocks = 0;             // text blocks the scan found, live and freed
    std::int32_t RecoveredCount = 0;            // entries listed as recovered / deleted
    std::int32_t DeletedCount = 0;
    // Where the lost-bytes marks stand in texts.RawText, for the entry read last.
    std::int32_t MarksEntry = 0;
    std::vector<std::size_t> Marks;
};

struct DbxState {
    std::string ChosenPath;        // native path of the chosen .dbx file
    ByteFile File;                 // open from the header check to the next open command
    std::int32_t AnnouncedCount = 0;
    std::int32_t CollectedCount = 0;

    // Index-record table: grows with what the walk collects, never past the
    // announced count.
    std::vector<DbxIndexRecord> Records{1};
    DbxReadWindow Window;
    DbxValueSlots Slots;
    // Attribute table (4 bytes per attribute, as stored) and data area of the
    // record read last, HeldRecord (-1 for none); reused by the next read.
    std::int32_t HeldRecord = -1;
    // The records of a large file are read, and its conversations seeded,
    // by two threads; this one alone when set (the tests compare both ways).
    bool OneReader = false;
    std::string HeldTable;
    std::string HeldData;

    // Working lists of the list build (1-based, released when it ends).
    std::vector<std::string> ConversationSubject;  // empty: the record gave none
    std::vector<std::string> ReferenceChain;
    // Where each chain's parent key begins: the chain's last "<…>".
    std::vector<std::size_t> ParentKeyStart;
    std::int32_t PlaceholderCount = 0;  // parents not found in the file, last build
    std::int32_t PropagationPasses = 0; // passes of the last propagation

    DbxRecovery Recovery;
};

}  // namespace pelicard

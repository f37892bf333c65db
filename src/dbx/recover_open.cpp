// Reading the index of a file that may be damaged, without ending the program.
#include "common/report.hpp"
#include "common/text.hpp"
#include "dbx/conversions.hpp"
#include "dbx/header.hpp"
#include "dbx/list_oe.hpp"
#include "dbx/recover.hpp"
#include "dbx/tree.hpp"

namespace pelicard {
namespace {

bool SignaturesHold(const ByteFile& f) {
    const std::string h = ReadBytesUpTo(f, 0, 0x1C);
    return h.size() == 0x1C && Hexa(h.substr(0, 4)) == "CFAD12FE" && Hexa(h.substr(4, 4)) == "C5FD746F" &&
           Hexa(h.substr(8)) == "66E3D1119A4E00C04FA309D40500000005000000";
}

}  // namespace

IndexRead ReadIndexGuarded(State& s) {
    // A fault that would end the program unwinds to here instead: with
    // Quitting raised, QuitProgram leaves the window open.
    const bool quitting = s.Quitting;
    s.Quitting = true;
    s.list.Mode = StoreMode::OutlookExpress;
    s.list.Count = 0;
    s.dbx.AnnouncedCount = 0;
    s.dbx.CollectedCount = 0;
    IndexRead out = IndexRead::Listed;
    try {
        const std::int32_t root = ReadFileHeader(s);
        if (root != 0) {
            ListIndexOE(s, root);
            if (s.dbx.CollectedCount < s.dbx.AnnouncedCount) out = IndexRead::Damaged;
        } else if (!IsOpen(s.dbx.File)) {
            out = IndexRead::Refused;
        } else {
            // Refused signatures, or a count without a tree root.
            const bool empty = SignaturesHold(s.dbx.File) && s.dbx.AnnouncedCount == 0;
            out = empty ? IndexRead::Refused : IndexRead::Damaged;
        }
    } catch (const ProgramEnding&) {
        out = IsOpen(s.dbx.File) ? IndexRead::Damaged : IndexRead::Refused;
        s.list.Count = 0;
        s.list.Oe.assign(1, MessageEntry{});
        s.window->ShowProgress(false);
    }
    s.Quitting = quitting;
    return out;
}

std::string RecoverySummary(const State& s) {
    return " ; r\xE9" "cup\xE9r\xE9s : " + ToDecimal(s.dbx.Recovery.RecoveredCount) + ", supprim\xE9s : " +
           ToDecimal(s.dbx.Recovery.DeletedCount);
}

}  // namespace pelicard

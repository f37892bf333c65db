#include "dbx/tree.hpp"

#include <algorithm>
#include <iterator>
#include <map>
#include <new>
#include <unordered_set>
#include <vector>

#include "common/fault.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "dbx/conversions.hpp"

namespace pelicard {

namespace {

constexpr std::int64_t kEntriesOffset = 0x18;
constexpr std::int64_t kEntrySize = 12;

std::string UpperHex(std::uint32_t v) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[v & 0x0F]);
        v >>= 4;
    } while (v != 0);
    return out;
}

}  // namespace

bool ClaimedRanges::Claim(std::int64_t start, std::int64_t end, bool record) {
    auto next = std::upper_bound(inOrder_.begin(), inOrder_.end(), start,
                                 [](std::int64_t at, const Range& r) { return at < r.start; });
    if (next != inOrder_.end() && next->start < end) return false;
    if (next != inOrder_.begin() && std::prev(next)->end > start) return false;
    auto after = others_.upper_bound(start);
    if (after != others_.end() && after->first < end) return false;
    if (after != others_.begin() && std::prev(after)->second > start) return false;
    if (record && next == inOrder_.end())
        inOrder_.push_back({start, end});
    else
        others_.emplace_hint(after, start, end);
    return true;
}

void StartTreeWalk(State& s, std::int32_t root) {
    s.dbx.Records.clear();
    s.dbx.Records.shrink_to_fit();
    // Room for the announced count, as far as the file can hold that many
    // records (12 bytes at least each), so the table does not grow in steps;
    // a larger count grows as it is collected.
    const std::int64_t room = std::min<std::int64_t>({s.dbx.AnnouncedCount, s.dbx.File.size / 12, 1 << 20});
    s.dbx.Records.reserve(static_cast<std::size_t>(std::max<std::int64_t>(room, 0)) + 1);
    s.dbx.Records.resize(1);
    s.dbx.HeldRecord = -1;
    s.dbx.CollectedCount = 0;
    ReadMsgHeader(s, root);
}

std::int32_t ReadTreeHeader(State& s, std::int32_t node, int& entryCount) {
    std::string marker;
    try {
        marker = DbxRead(s, node, 4);
    } catch (const Fault& e) {
        ShowFault(s, "ReadTreeHeader", e);
        entryCount = 0;
        return 0;
    }
    if (Hexa8(marker) != static_cast<std::uint32_t>(node)) {
        s.window->MessageBox("Incoh\xE9rence marqueur arbre " + UpperHex(static_cast<std::uint32_t>(node)) +
                                 " / " + Hexa(marker),
                             "ReadTreeHeader", MsgIcon::None, MsgButtons::Ok);
        QuitProgram(s);
        throw ProgramEnding{};
    }
    try {
        std::string_view head = DbxReadView(s, node, 0x12);
        entryCount = static_cast<unsigned char>(head[0x11]);
        return CountValue(s, std::string_view(head).substr(0x08, 4));
    } catch (const Fault& e) {
        ShowFault(s, "ReadTreeHeader", e);
        entryCount = 0;
        return 0;
    }
}

void ReadMsgHeader(State& s, std::int32_t node) {
    // An explicit stack instead of recursion, so that a deep or looping tree
    // cannot exhaust the call stack. Each frame is a node with the index of
    // its next entry; the node's own child (0x08) is pushed when its entries
    // are done, which keeps the visiting order of the recursive walk.
    struct Frame {
        std::int32_t node;
        std::int32_t child;  // offset at 0x08
        int count;
        int next;
    };
    DbxState& d = s.dbx;
    std::unordered_set<std::int32_t> visited;
    std::vector<Frame> stack;
    // Byte ranges of the file taken by a node (its header and entries) or a
    // record (its 12-byte head): in a well-formed file none overlap, so each
    // is claimed once. Overlapping nodes of a damaged (or sparse) file would
    // otherwise name the same entries again and again.
    ClaimedRanges claimed;
    auto enter = [&](std::int32_t at) {
        if (at < 1 || !visited.insert(at).second) return;
        Frame f{at, 0, 0, 0};
        f.child = ReadTreeHeader(s, at, f.count);
        if (!claimed.Claim(at, at + kEntriesOffset + kEntrySize * std::max(f.count, 0), false)) return;
        stack.push_back(f);
    };
    // An index record takes at least 12 bytes (marker, length, count), so a
    // file holds no more than size / 12 of them; overlapping nodes of a
    // damaged file could otherwise name hundreds of times more.
    const std::int64_t room = d.File.size / 12;
    auto full = [&] { return d.CollectedCount >= d.AnnouncedCount || d.CollectedCount >= room; };
    try {
        enter(node);
        while (!stack.empty() && !full()) {
            Frame& f = stack.back();
            if (f.next >= f.count) {
                std::int32_t child = f.child;
                stack.pop_back();
                enter(child);
                continue;
            }
            const std::int64_t at = static_cast<std::int64_t>(f.node) + kEntriesOffset + kEntrySize * f.next;
            ++f.next;
            std::int32_t record = CountValue(s, DbxReadView(s, at, 4));
            std::int32_t child = CountValue(s, DbxReadView(s, at + 4, 4));
            if (record > 0 && claimed.Claim(record, static_cast<std::int64_t>(record) + 12, true)) {
                ++d.CollectedCount;
                DbxIndexRecord r;
                r.RecordOffset = record;
                d.Records.push_back(std::move(r));
            }
            if (child != 0 && !full()) enter(child);
        }
    } catch (const Fault& e) {
        EndOnFault(s, "ReadMsgHeader", e);
    } catch (const std::bad_alloc&) {
        EndOnFault(s, "ReadMsgHeader", Fault(faults::kOutOfMemory));
    }
}

}  // namespace pelicard

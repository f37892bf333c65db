// The recovery pass over a .dbx file and the chaining of the blocks it finds.
#include "dbx/recover.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unistd.h>

#include "common/text.hpp"

namespace pelicard {
namespace {

constexpr std::uint32_t kBlockSize = 0x210;   // header + 512 text bytes
constexpr std::uint32_t kHeaderSize = 16;
constexpr std::uint32_t kTextSize = 512;
constexpr std::uint32_t kLiveMark = 0x200;
constexpr std::uint32_t kFreedMark = 0x1FC;    // free bytes after a freed block's 20-byte header
constexpr std::uint32_t kFreedLink = 4;        // text bytes the free-list link overwrote
constexpr std::size_t kPiece = std::size_t{4} << 20;

std::uint32_t U32(const unsigned char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    return v;
}

// Reads up to n bytes at offset; the count read.
std::size_t ReadAt(int fd, unsigned char* into, std::size_t n, std::int64_t offset) {
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, into + got, n - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}

// The block whose header starts at p, `avail` bytes readable from there
// (at least 16); false when the bytes are no text block.
bool ReadBlock(const unsigned char* q, std::uint32_t p, std::size_t avail, ScannedBlock& b) {
    const std::uint32_t mark = U32(q + 4), third = U32(q + 8), next = U32(q + 12);
    const std::size_t room = std::min<std::size_t>(avail, kBlockSize);
    if (mark == kLiveMark) {
        if (third == 0 || third > kTextSize) return false;
        // The block's own length: a chain cut where its successor went to
        // another message ends with the bytes the block holds.
        const std::size_t len = std::min<std::size_t>(third, room - kHeaderSize);
        b = {p, next, static_cast<std::uint16_t>(len), false};
        return true;
    }
    if (mark == kFreedMark && third == kBlockSize) {
        std::size_t len = room > kHeaderSize + kFreedLink ? room - kHeaderSize - kFreedLink : 0;
        // The last block's own length was overwritten: its text ends where
        // the padding of zeros begins.
        if (next == 0)
            while (len > 0 && q[kHeaderSize + kFreedLink + len - 1] == 0) --len;
        b = {p, next, static_cast<std::uint16_t>(len), true};
        return true;
    }
    return false;
}

}  // namespace

bool ScanTextBlocks(const ByteFile& f, std::vector<ScannedBlock>& out, const bool* cancel) {
    out.clear();
    if (!f.handle) return true;
    const int fd = ::fileno(f.handle);
    // Offsets are 32-bit numbers: nothing past 4 GB can be a block.
    const std::int64_t limit = std::min<std::int64_t>(f.size, std::int64_t{1} << 32);
    std::vector<unsigned char> buf(kPiece + kBlockSize);
    std::int64_t resume = 1;  // offset 0 is the file header's
    for (std::int64_t base = 0; base < limit; base += static_cast<std::int64_t>(kPiece)) {
        if (cancel && *cancel) return false;
        const std::size_t got = ReadAt(fd, buf.data(), buf.size(), base);
        if (got < kHeaderSize) break;
        const std::int64_t end = std::min<std::int64_t>(base + static_cast<std::int64_t>(kPiece),
                                                        base + static_cast<std::int64_t>(got - kHeaderSize) + 1);
        for (std::int64_t p = std::max(resume, base); p < end; ++p) {
            const unsigned char* q = buf.data() + (p - base);
            if (U32(q) != static_cast<std::uint32_t>(p)) continue;
            ScannedBlock b;
            if (!ReadBlock(q, static_cast<std::uint32_t>(p), got - static_cast<std::size_t>(p - base), b)) continue;
            out.push_back(b);
            p += kBlockSize - 1;
        }
        resume = std::max(resume, end);
        if (!out.empty()) resume = std::max<std::int64_t>(resume, std::int64_t{out.back().Offset} + kBlockSize);
    }
    return true;
}

namespace {

// Whether a block's text begins like a message: a header field name and its
// colon on the first line.
bool LooksLikeMessageStart(State& s, const ScannedBlock& b) {
    if (b.Freed) return false;
    const std::string t = ReadBytesUpTo(s.dbx.File, std::int64_t{b.Offset} + kHeaderSize, 80);
    std::size_t k = 0;
    while (k < t.size() && (std::isalnum(static_cast<unsigned char>(t[k])) || t[k] == '-')) ++k;
    return k > 0 && k < t.size() && t[k] == ':';
}

}  // namespace

void BuildRecoveredChains(State& s, const std::vector<ScannedBlock>& blocks) {
    DbxRecovery& r = s.dbx.Recovery;
    r.Blocks.clear();
    r.ChainStart.assign(1, 0);
    r.ScannedBlocks = static_cast<std::int64_t>(blocks.size());
    const std::size_t n = blocks.size();
    auto find = [&](std::uint32_t offset) -> std::int64_t {
        auto it = std::lower_bound(blocks.begin(), blocks.end(), offset,
                                   [](const ScannedBlock& b, std::uint32_t o) { return b.Offset < o; });
        return it != blocks.end() && it->Offset == offset ? it - blocks.begin() : -1;
    };
    // A chain goes on to a block of its own kind only: a freed block whose
    // old successor is live again lost the rest of its chain to a new message.
    std::vector<std::int64_t> succ(n, -1);
    for (std::size_t i = 0; i < n; ++i) {
        if (blocks[i].Next == 0) continue;
        const std::int64_t j = find(blocks[i].Next);
        if (j < 0 || static_cast<std::size_t>(j) == i || blocks[j].Freed != blocks[i].Freed) continue;
        succ[i] = j;
    }
    enum : std::uint8_t { kFree, kIndexed, kTaken };
    std::vector<std::uint8_t> owner(n, kFree);

    // The chains of the indexed messages, as the reading follows them: blocks
    // the pass did not take for text blocks are crossed through their own
    // next offset.
    const std::int64_t maxHops = s.dbx.File.size / kBlockSize + 1;
    for (std::int32_t e = 1; e <= s.list.Count && static_cast<std::size_t>(e) < s.list.Oe.size(); ++e) {
        const MessageEntry& m = s.list.Oe[static_cast<std::size_t>(e)];
        if (m.Recovery != RecoveryState::Indexed || m.TextOffset <= 0) continue;
        std::uint32_t at = static_cast<std::uint32_t>(m.TextOffset);
        for (std::int64_t hop = 0; at != 0 && hop < maxHops; ++hop) {
            const std::int64_t j = find(at);
            std::uint32_t next;
            if (j >= 0) {
                if (owner[j] == kIndexed) break;
                owner[j] = kIndexed;
                next = blocks[j].Next;
            } else {
                const std::string h = ReadBytesUpTo(s.dbx.File, at, kHeaderSize);
                if (h.size() < kHeaderSize) break;
                next = LoadU32(h.data() + 12);
            }
            at = next;
        }
    }

    auto take = [&](std::size_t head) {
        for (std::int64_t i = static_cast<std::int64_t>(head); i >= 0 && owner[i] == kFree; i = succ[i]) {
            owner[i] = kTaken;
            r.Blocks.push_back({blocks[i].Offset, blocks[i].Length, blocks[i].Freed});
        }
        r.ChainStart.push_back(static_cast<std::uint32_t>(r.Blocks.size()));
    };
    // First blocks: those that no block outside the indexed chains names; in
    // file order, so that of two chains claiming a block the earlier one gets it.
    std::vector<bool> named(n, false);
    for (std::size_t i = 0; i < n; ++i)
        if (succ[i] >= 0 && owner[i] != kIndexed) named[static_cast<std::size_t>(succ[i])] = true;
    for (std::size_t i = 0; i < n; ++i)
        if (owner[i] == kFree && !named[i]) take(i);
    // What is left are loops: each starts at its block that begins like a
    // message, else at its first block in the file.
    for (std::size_t i = 0; i < n; ++i) {
        if (owner[i] != kFree) continue;
        std::size_t head = i;
        std::int64_t j = static_cast<std::int64_t>(i);
        for (std::size_t steps = 0; j >= 0 && owner[j] == kFree && steps < n; ++steps, j = succ[j]) {
            if (LooksLikeMessageStart(s, blocks[j])) {
                head = static_cast<std::size_t>(j);
                break;
            }
            if (steps > 0 && static_cast<std::size_t>(j) == i) break;
        }
        take(head);
        if (owner[i] == kFree) take(i);
    }
}

}  // namespace pelicard

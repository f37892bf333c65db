#include "dbx/conversions.hpp"

#include <algorithm>

#include "common/fault.hpp"
#include "common/report.hpp"

namespace pelicard {

namespace {
// Index records run to a few hundred bytes and tree nodes to 0x27C: one
// small read serves a record or a node with its neighbours, or the first
// blocks of a message text (most texts take one read); copying a few
// kilobytes costs less than another read.
constexpr std::size_t kWindowSize = 8192;
// Reads that move forward through the file, as a walk over records stored in
// file order does, get a growing window: each forward refill in a row reads
// twice as much as the one before, up to a large window, so that the file
// is then read in few large pieces, texts included, instead of one small
// read per record; a message's text read out of file order costs one small
// read or a few, never a large one.
constexpr std::size_t kForwardWindowSize = 256 * 1024;
constexpr unsigned kLargestGrowth = 5;
static_assert((kWindowSize << kLargestGrowth) == kForwardWindowSize);
}

std::string Hexa(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

std::uint32_t Hexa6(std::string_view bytes) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 3 && k < bytes.size(); ++k)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k])) << (8 * k);
    return v;
}

std::uint32_t Hexa8(std::string_view bytes) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4 && k < bytes.size(); ++k)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k])) << (8 * k);
    return v;
}

std::int32_t CountValue(State& s, std::string_view bytes) {
    std::uint32_t v = Hexa8(bytes);
    if (v > 0x7FFFFFFFu) EndOnFault(s, "", Fault(faults::kOverflow));
    return static_cast<std::int32_t>(v);
}

void ResetDbxWindow(State& s) {
    s.dbx.Window.handle = nullptr;
    s.dbx.Window.start = -1;
    s.dbx.Window.growth = 0;
    s.dbx.Window.bytes.clear();
}

std::string_view DbxReadView(State& s, std::int64_t offset, std::size_t n) {
    const ByteFile& f = s.dbx.File;
    DbxReadWindow& w = s.dbx.Window;
    if (offset < 0 || offset > f.size || static_cast<std::int64_t>(n) > f.size - offset)
        throw Fault(faults::kReadPastEnd);
    if (w.handle != f.handle || w.start < 0 || offset < w.start ||
        offset + static_cast<std::int64_t>(n) > w.start + static_cast<std::int64_t>(w.bytes.size())) {
        // Refill the window from offset, in place, in one read.
        const std::int64_t end = w.start + static_cast<std::int64_t>(w.bytes.size());
        const bool forward = w.handle == f.handle && w.start >= 0 && offset > w.start &&
                             offset - end < static_cast<std::int64_t>(kWindowSize << w.growth);
        w.handle = nullptr;
        w.start = -1;
        w.growth = forward ? std::min(w.growth + 1, kLargestGrowth) : 0;
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::int64_t>(std::max(n, kWindowSize << w.growth), f.size - offset));
        w.bytes.resize(want);
        if (want > 0 && !ReadAt(f, offset, w.bytes.data(), want)) throw Fault(faults::kReadPastEnd);
        w.start = offset;
        w.handle = f.handle;
    }
    return std::string_view(w.bytes).substr(static_cast<std::size_t>(offset - w.start), n);
}

std::string DbxRead(State& s, std::int64_t offset, std::size_t n) {
    if (n > kWindowSize) return ReadBytes(s.dbx.File, offset, n);
    return std::string(DbxReadView(s, offset, n));
}

}  // namespace pelicard

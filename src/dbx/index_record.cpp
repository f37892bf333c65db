#include "dbx/index_record.hpp"

#include <algorithm>

#include "common/fault.hpp"
#include "dbx/conversions.hpp"

namespace pelicard {

namespace {

constexpr std::int64_t kLargestDataArea = 16 << 20;

DbxIndexRecord& Record(State& s, std::int32_t i) {
    if (i < 0 || static_cast<std::size_t>(i) >= s.dbx.Records.size()) throw Fault(faults::kSubscript);
    return s.dbx.Records[static_cast<std::size_t>(i)];
}

// A record that was read, with its bytes held again if another record's
// bytes took their place since.
DbxIndexRecord& Held(State& s, std::int32_t i) {
    DbxIndexRecord& r = Record(s, i);
    if (r.Read && s.dbx.HeldRecord != i) ReadIndexRecord(s, i);
    return r;
}

// Each indirect value runs to the byte before the next indirect value's
// start; the last one to the end of the data area.
const DbxValueSlots& Slots(State& s, std::int32_t i, const DbxIndexRecord& r) {
    DbxValueSlots& v = s.dbx.Slots;
    const std::string& table = s.dbx.HeldTable;
    if (v.record == i && v.table == table.data()) return v;
    const std::int64_t size = static_cast<std::int64_t>(s.dbx.HeldData.size());
    for (int d = 0; d < kIndirectLimit; ++d) {
        v.start[d] = 0;
        v.end[d] = size;
    }
    v.end[0] = 0;
    int previous = 0;
    for (int k = 0; k < r.AttributeCount; ++k) {
        const char* e = table.data() + 4 * k;
        const int d = static_cast<unsigned char>(e[0]);
        if (d >= kIndirectLimit) continue;
        v.start[d] = Hexa6(std::string_view(e + 1, 3));
        if (d >= 2 && previous >= 1) v.end[previous] = v.start[d] - 1;
        previous = d;
    }
    v.record = i;
    v.table = table.data();
    return v;
}

}  // namespace

void ReadIndexRecord(State& s, std::int32_t i) {
    DbxIndexRecord& r = Record(s, i);
    const std::int64_t at = r.RecordOffset;
    if (at <= 0) return;
    if (Hexa8(DbxReadView(s, at, 4)) != static_cast<std::uint32_t>(at)) return;
    const std::int64_t length = CountValue(s, DbxReadView(s, at + 0x04, 4));
    const int n = static_cast<unsigned char>(DbxReadView(s, at + 0x0A, 1)[0]);
    if (length < 4 * n) throw Fault(faults::kBadCall);
    r.AttributeCount = n;
    DbxState& d = s.dbx;
    d.HeldRecord = -1;
    d.Slots.record = -1;
    d.HeldTable.assign(DbxReadView(s, at + 0x0C, static_cast<std::size_t>(4 * n)));
    // An index record holds a few short values; a data area claimed beyond
    // kLargestDataArea (a damaged or sparse file) is read no further.
    const auto dataSize = static_cast<std::size_t>(std::min<std::int64_t>(length - 4 * n, kLargestDataArea));
    if (dataSize <= 65536)
        d.HeldData.assign(DbxReadView(s, at + 0x0C + 4 * n, dataSize));
    else
        d.HeldData = DbxRead(s, at + 0x0C + 4 * n, dataSize);

    r.Read = true;
    d.HeldRecord = i;
}

std::string ParamDCarValue(State& s, std::int32_t i, std::int32_t j) {
    DbxIndexRecord& r = Held(s, i);
    if (j < 1 || j > r.AttributeCount) throw Fault(faults::kBadCall);
    return (r.Read ? s.dbx.HeldTable : std::string()).substr(static_cast<std::size_t>(4 * (j - 1) + 1), 3);
}

std::string ParamICarValue(State& s, std::int32_t i, std::int32_t d, std::int64_t length) {
    DbxIndexRecord& r = Held(s, i);
    if (!r.Read || d < 0 || d >= kIndirectLimit || length <= 0) return {};
    const std::int64_t start = Slots(s, i, r).start[d];
    const std::string& data = s.dbx.HeldData;
    if (start >= static_cast<std::int64_t>(data.size())) return {};
    return data.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
}

std::int64_t Greater(State& s, std::int32_t i, std::int32_t d) {
    DbxIndexRecord& r = Held(s, i);
    if (!r.Read || d < 0 || d >= kIndirectLimit) return 1;
    const DbxValueSlots& v = Slots(s, i, r);
    const std::int64_t g = v.end[d] - v.start[d] + 1;
    return g < 1 ? 1 : g;
}

std::int32_t FindTextOffset(State& s, std::int32_t i) {
    DbxIndexRecord& r = Held(s, i);
    if (!r.Read) return r.TextOffset;
    std::int32_t offset = 0;
    for (int k = 0; k < r.AttributeCount; ++k) {
        const char* e = s.dbx.HeldTable.data() + 4 * k;
        const int d = static_cast<unsigned char>(e[0]);
        if (d == 0x04) {
            // A value too short to hold the position gives none.
            std::string v = ParamICarValue(s, i, 0x04, 4);
            offset = v.size() == 4 ? CountValue(s, v) : 0;
        } else if (d == 0x84) {
            offset = static_cast<std::int32_t>(Hexa6(std::string_view(e + 1, 3)));
        }
    }
    return offset;
}

}  // namespace pelicard

#include "export/file_dates.hpp"

#include "common/civil_time.hpp"
#include "dbx/dates.hpp"

namespace pelicard {

bool MessageUnixTime(State& s, std::int32_t index, std::int64_t& out) {
    const bool wm = s.list.Mode == StoreMode::WindowsMail;
    const std::size_t size = wm ? s.list.Wm.size() : s.list.Oe.size();
    if (index < 1 || static_cast<std::size_t>(index) >= size) return false;
    const auto i = static_cast<std::size_t>(index);
    CivilTime local;
    if (!ParseDateText(wm ? s.list.Wm[i].DateText : s.list.Oe[i].DateText, local)) return false;
    // The offset in force at the instant itself: guessed from the local time
    // read as UTC, then taken again at the instant that guess gives, which
    // settles it on either side of a change of offset.
    const std::int64_t asUtc = ToUnixSeconds(local);
    const std::int64_t guess = asUtc - s.timeZone->UtcOffsetAt(asUtc);
    out = asUtc - s.timeZone->UtcOffsetAt(guess);
    return true;
}

}  // namespace pelicard

// What a mailbox keeps beside each message: the sender's address and the
// date of the message in UTC, taken from the header of its stored text.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelicard {

// The value of the first header field `name` (without the colon), folded
// continuation lines joined; nullopt when the header has no such field.
// The header ends at the first empty line (CR LF, LF or CR line ends).
std::optional<std::string> HeaderField(std::string_view text, std::string_view name);

// The bare address of a "From:" value: what lies in the last <…>, else the
// first word holding an "@", else the first word; comments in (…) and
// quoted names left out. Empty when none is found. Only printable ASCII
// other than space survives, so the address fits an envelope line.
std::string EnvelopeAddress(std::string_view fromValue);

// A date field «[Www,] d Mmm yyyy hh:mm[:ss] zone» as seconds since
// 1970-01-01 UTC; zones: ±hhmm, UT, GMT, Z, the North American names and
// the military letters (read as UTC). A date without zone is read as UTC.
std::optional<std::int64_t> DateFieldUtc(std::string_view value);

}  // namespace pelicard

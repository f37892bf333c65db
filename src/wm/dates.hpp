// Dates of Windows Mail messages: the "Date:" field (RFC 822, or ISO 8601
// from a few producers) turned into local time text.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "common/state.hpp"

namespace pelicard {

// A calendar date-time to the second, counted as seconds from
// 1970-01-01 00:00:00 of the same calendar (no zone attached).
using DateTimeValue = std::int64_t;

// A "Date:" field value -> local "dd/mm/yyyy hh:nn:ss" ("dd/mm/yyyy" at
// midnight), or empty when the value is empty or unreadable.
std::string MsgTime(State& s, const std::string& text);

// «Www, dd Mmm yyyy hh:mm:ss zone» (weekday optional) -> local date-time;
// nullopt when the date and time cannot be read.
std::optional<DateTimeValue> ParseRfc822Date(State& s, const std::string& text);
// «yyyy-mm-ddThh:mm:ss zone» -> local date-time; throws Fault when a field
// is not numeric or the zone is missing.
DateTimeValue ParseIsoDate(State& s, const std::string& text);
// Local time minus UTC, in seconds, in force at the UTC instant given.
std::int32_t UtcOffsetSeconds(State& s, DateTimeValue utc);
DateTimeValue UtcToLocal(State& s, DateTimeValue utc);

// Calendar helpers.
DateTimeValue MakeDateTime(int year, int month, int day, int hour, int minute, int second);
// The general date form: "dd/mm/yyyy hh:nn:ss", the date alone at 00:00:00.
std::string FormatGeneralDate(DateTimeValue v);

}  // namespace pelicard

// Calendar arithmetic (proleptic Gregorian, no time zone) and the date
// texts every store uses: "dd/mm/yyyy hh:nn:ss" and the long French form.
#pragma once
#include <cstdint>
#include <string>

namespace pelicard {

struct CivilTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// A real calendar date of the years 1 to 9999.
bool IsValidCivilDate(int year, int month, int day);
// Days since 1970-01-01, and back.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day);
void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day);
// Seconds since 1970-01-01 00:00 of a calendar time read as UTC, and back.
std::int64_t ToUnixSeconds(const CivilTime& t);
CivilTime FromUnixSeconds(std::int64_t seconds);

// "dd/mm/yyyy", then " hh:nn:ss" when withTime.
std::string DateTimeText(const CivilTime& t, bool withTime);
// "dd/mm/yyyy hh:nn:ss", the time left out when it is exactly midnight.
std::string GeneralDateText(const CivilTime& t);
// «lundi 5 mars 2007»: weekday, day, month, year in French.
std::string FrenchDate(const CivilTime& t);
// The pattern "dddd d mmmm yyyy hh:mm" in French: «lundi 5 mars 2007 14:07».
std::string LongDateFrench(const CivilTime& t);

}  // namespace pelicard

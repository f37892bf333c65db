#include "common/civil_time.hpp"

namespace pelicard {
namespace {

std::string Pad(std::int64_t v, int width) {
    std::string t = std::to_string(v);
    if (static_cast<int>(t.size()) < width) t.insert(0, static_cast<std::size_t>(width) - t.size(), '0');
    return t;
}

}  // namespace

bool IsValidCivilDate(int year, int month, int day) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

std::int64_t ToUnixSeconds(const CivilTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime FromUnixSeconds(std::int64_t secs) {
    std::int64_t days = secs / 86400, rest = secs % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    CivilTime t;
    std::int64_t y = 0;
    CivilFromDays(days, y, t.month, t.day);
    t.year = static_cast<int>(y);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::string DateTimeText(const CivilTime& c, bool withTime) {
    std::string out;
    out.reserve(20);
    out.append(Pad(c.day, 2)).append(1, '/').append(Pad(c.month, 2)).append(1, '/').append(Pad(c.year, 4));
    if (withTime)
        out.append(1, ' ').append(Pad(c.hour, 2)).append(1, ':').append(Pad(c.minute, 2)).append(1, ':').append(Pad(c.second, 2));
    return out;
}

std::string GeneralDateText(const CivilTime& t) {
    return DateTimeText(t, t.hour != 0 || t.minute != 0 || t.second != 0);
}

std::string FrenchDate(const CivilTime& t) {
    // Windows-1252; octal escapes, which never swallow the letters after them.
    static const char* const kDays[] = {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"};
    static const char* const kMonths[] = {"janvier", "f\351vrier", "mars",      "avril",   "mai",      "juin",
                                          "juillet", "ao\373t",    "septembre", "octobre", "novembre", "d\351cembre"};
    const std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
    const int weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    std::string out(kDays[weekday]);
    out.append(1, ' ').append(std::to_string(t.day)).append(1, ' ').append(kMonths[(t.month + 11) % 12]);
    out.append(1, ' ').append(Pad(t.year, 4));
    return out;
}

std::string LongDateFrench(const CivilTime& t) {
    std::string out = FrenchDate(t);
    out.append(1, ' ').append(Pad(t.hour, 2)).append(1, ':').append(Pad(t.minute, 2));
    return out;
}

}  // namespace pelicard

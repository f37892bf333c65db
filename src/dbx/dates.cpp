#include "dbx/dates.hpp"

#include <cstdlib>

#include "common/fault.hpp"
#include "common/report.hpp"
#include "common/text.hpp"

namespace pelicard {

namespace {

const char* const kTypeMismatch = "Incompatibilit\xE9 de type";

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
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

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

std::string Pad(std::int64_t v, int width) {
    std::string t = std::to_string(v);
    if (static_cast<int>(t.size()) < width) t.insert(0, static_cast<std::size_t>(width) - t.size(), '0');
    return t;
}

// "dd/mm/yyyy", then " hh:nn:ss" when withTime.
std::string DateTimeText(const CivilTime& c, bool withTime) {
    std::string out;
    out.reserve(20);
    out.append(Pad(c.day, 2)).append(1, '/').append(Pad(c.month, 2)).append(1, '/').append(Pad(c.year, 4));
    if (withTime)
        out.append(1, ' ').append(Pad(c.hour, 2)).append(1, ':').append(Pad(c.minute, 2)).append(1, ':').append(Pad(c.second, 2));
    return out;
}

std::int64_t ToSeconds(const CivilTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime FromSeconds(std::int64_t secs) {
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

std::string Mid(const std::string& t, std::size_t pos1, std::size_t n) {
    if (pos1 < 1 || pos1 > t.size()) return {};
    return t.substr(pos1 - 1, n);
}

CivilTime ParseOrFail(std::string_view t) {
    CivilTime c;
    if (!ParseDateText(t, c)) throw Fault(kTypeMismatch);
    return c;
}

}  // namespace

bool ParseDateText(std::string_view t, CivilTime& out) {
    std::size_t p = 0;
    auto skipSpaces = [&] {
        while (p < t.size() && t[p] == ' ') ++p;
    };
    auto number = [&](int maxDigits, int& v) {
        int digits = 0;
        v = 0;
        while (p < t.size() && digits < maxDigits && t[p] >= '0' && t[p] <= '9') {
            v = v * 10 + (t[p] - '0');
            ++p;
            ++digits;
        }
        return digits > 0;
    };
    auto expect = [&](char c) {
        if (p < t.size() && t[p] == c) {
            ++p;
            return true;
        }
        return false;
    };
    CivilTime c;
    skipSpaces();
    if (!number(2, c.day) || !expect('/') || !number(2, c.month) || !expect('/') || !number(4, c.year))
        return false;
    skipSpaces();
    if (p < t.size()) {
        if (!number(2, c.hour) || !expect(':') || !number(2, c.minute)) return false;
        if (expect(':') && !number(2, c.second)) return false;
        skipSpaces();
        if (p < t.size()) return false;
    }
    if (c.year < 100 || c.month < 1 || c.month > 12 || c.day < 1 || c.day > DaysInMonth(c.year, c.month) ||
        c.hour > 23 || c.minute > 59 || c.second > 59)
        return false;
    out = c;
    return true;
}

std::string GeneralDateText(const CivilTime& t) {
    return DateTimeText(t, t.hour != 0 || t.minute != 0 || t.second != 0);
}

std::string LongDateFrench(const CivilTime& t) {
    static const char* const kDays[] = {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"};
    static const char* const kMonths[] = {"janvier", "f\xE9vrier", "mars",      "avril",   "mai",      "juin",
                                          "juillet", "ao\xFBt",    "septembre", "octobre", "novembre", "d\xE9" "cembre"};
    const std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
    const int weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    std::string out(kDays[weekday]);
    out.append(1, ' ').append(std::to_string(t.day)).append(1, ' ').append(kMonths[t.month - 1]);
    out.append(1, ' ').append(Pad(t.year, 4)).append(1, ' ').append(Pad(t.hour, 2)).append(1, ':').append(Pad(t.minute, 2));
    return out;
}

std::string LongDateText(const std::string& dateText) {
    CivilTime c;
    return ParseDateText(dateText, c) ? LongDateFrench(c) : dateText;
}

std::string DateString(State& s, std::string_view v) {
    std::uint64_t filetime = 0;
    for (std::size_t k = 0; k < 8 && k < v.size(); ++k)
        filetime |= static_cast<std::uint64_t>(static_cast<unsigned char>(v[k])) << (8 * k);
    CivilTime c;
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 63;
    constexpr std::int64_t kUnixEpoch = 11644473600;  // seconds from 1601 to 1970
    if (filetime < kLimit) {
        const std::int64_t utc = static_cast<std::int64_t>(filetime / 10000000) - kUnixEpoch;
        // The offset in force at the converted instant, not today's.
        const std::int64_t offset = s.timeZone->UtcOffsetAt(utc);
        const std::int64_t shift = offset * 10000000;
        const bool valid = shift >= 0 ? filetime <= kLimit - 1 - static_cast<std::uint64_t>(shift)
                                       : filetime >= static_cast<std::uint64_t>(-shift);
        if (valid) c = FromSeconds(utc + offset);
    }
    return DateTimeText(c, true);
}

std::string DateSort(State& s, const std::string& t) {
    try {
        std::string right = t.size() <= 2 ? t : t.substr(t.size() - 2);
        return Mid(t, 7, 4) + Mid(t, 4, 2) + Mid(t, 1, 2) + " " + Mid(t, 12, 2) + Mid(t, 15, 2) + right;
    } catch (const std::exception& e) {
        ShowFault(s, "DateSort", Fault(e.what()));
        return {};
    }
}

std::string AdjustDateOE(State& s, std::int32_t i, const std::string& mmss) {
    const std::string& listDate = s.list.Oe.at(static_cast<std::size_t>(i)).DateText;
    try {
        const std::int64_t t = ToSeconds(ParseOrFail(listDate.substr(0, 14) + mmss));
        const std::int64_t d = ToSeconds(ParseOrFail(listDate));
        const std::int64_t same = std::llabs(t - d), later = std::llabs(t + 3600 - d), earlier = std::llabs(t - 3600 - d);
        std::int64_t result = t;
        if (later < same && later < earlier)
            result = t + 3600;
        else if (earlier < same && earlier < later)
            result = t - 3600;
        return GeneralDateText(FromSeconds(result));
    } catch (const Fault& e) {
        ShowFault(s, "AdjustDateOE", e);
        return listDate;
    }
}

std::string DateOE(State& s, std::int32_t i) {
    const std::string crlf = "\r\n";
    std::string result;
    try {
        const std::string& listDate = s.list.Oe.at(static_cast<std::size_t>(i)).DateText;
        const std::string& h = s.texts.HeaderText;
        result = listDate;
        // 0-based positions below; the 1-based offsets of the rule shift alike.
        const std::size_t p = FindNoCase(h, crlf + "Date:");
        if (p != npos) {
            const std::size_t e = FindExact(h, crlf, p + 8);
            if (e == npos) throw Fault(faults::kBadCall);
            const std::size_t k = h.rfind(':', e);
            std::string mmss;
            if (k >= 3 && h[k - 3] == ':')
                mmss = h.substr(k - 2, 5);
            else
                mmss = h.substr(k + 1, 2) + ":00";
            result = AdjustDateOE(s, i, mmss);
        } else {
            const std::size_t q = RFindNoCase(h, crlf + "Received:");
            if (q != npos) {
                const std::size_t r = h.find(':', q + 12);
                if (r != npos) {
                    std::string mmss;
                    if (r + 3 < h.size() && h[r + 3] == ':')
                        mmss = h.substr(r + 1, 5);
                    else
                        mmss = h.substr(r + 1, 2) + ":00";
                    result = AdjustDateOE(s, i, mmss);
                }
            }
        }
    } catch (const Fault& e) {
        ShowFault(s, "DateOE", e);
    } catch (const std::out_of_range&) {
        ShowFault(s, "DateOE", Fault(faults::kSubscript));
    }
    return "Date : " + LongDateText(result) + crlf;
}

}  // namespace pelicard

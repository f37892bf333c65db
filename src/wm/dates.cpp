#include "wm/dates.hpp"

#include "common/civil_time.hpp"
#include "common/fault.hpp"
#include "common/report.hpp"
#include "common/text.hpp"

namespace pelicard {
namespace {


bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Leading decimal digits of a text (0 when it does not start with one).
int LeadingDigits(std::string_view s) {
    int v = 0;
    for (char c : s) {
        if (!IsDigit(c) || v > 100000) break;
        v = v * 10 + (c - '0');
    }
    return v;
}

// A text made only of digits, as a number; a Fault otherwise (the strict
// integer conversion of the ISO fields).
int StrictNumber(std::string_view s) {
    if (s.empty()) throw Fault(faults::kTypeMismatch);
    int v = 0;
    for (char c : s) {
        if (!IsDigit(c)) throw Fault(faults::kTypeMismatch);
        v = v * 10 + (c - '0');
    }
    return v;
}

// Hours and minutes of a zone rounded to whole hours, a half going to the
// even neighbour.
int RoundedZoneHours(int hours, int minutes) {
    const int total = hours * 60 + minutes;
    int q = total / 60;
    const int r = total % 60;
    if (r > 30 || (r == 30 && q % 2 == 1)) ++q;
    return q;
}

struct InternetDate {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::size_t end = 0;  // position just after the time
};

// Reads «[Www,] d[d] Mmm [yy]yy hh:mm[:ss]» from the start of `d`; what
// follows the time is left to the caller. The weekday is not checked.
std::optional<InternetDate> ReadInternetDate(std::string_view d) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    std::size_t i = 0;
    const std::size_t n = d.size();
    auto skipSpaces = [&] {
        while (i < n && (d[i] == ' ' || d[i] == '\t')) ++i;
    };
    auto readNumber = [&](std::size_t maxDigits, int& out) {
        std::size_t start = i;
        int v = 0;
        while (i < n && IsDigit(d[i]) && i - start < maxDigits) v = v * 10 + (d[i++] - '0');
        out = v;
        return i - start;
    };
    InternetDate r;
    skipSpaces();
    if (i < n && IsLetter(d[i])) {  // weekday, any name
        while (i < n && IsLetter(d[i])) ++i;
        skipSpaces();
        if (i < n && d[i] == ',') ++i;
    }
    skipSpaces();
    if (readNumber(2, r.day) == 0) return std::nullopt;
    if (i < n && d[i] == '-') ++i;
    skipSpaces();
    std::size_t ms = i;
    while (i < n && IsLetter(d[i])) ++i;
    if (i - ms < 3) return std::nullopt;
    std::string mon = FoldCase(d.substr(ms, 3));
    for (int k = 0; k < 12; ++k)
        if (mon == kMonths[k]) r.month = k + 1;
    if (r.month == 0) return std::nullopt;
    if (i < n && d[i] == '-') ++i;
    skipSpaces();
    std::size_t yd = readNumber(4, r.year);
    if (yd < 2 || (i < n && IsDigit(d[i]))) return std::nullopt;
    if (yd == 2) r.year += r.year < 50 ? 2000 : 1900;
    else if (yd == 3) r.year += 1900;
    std::size_t beforeTime = i;
    skipSpaces();
    if (i == beforeTime) return std::nullopt;
    if (readNumber(2, r.hour) == 0 || i >= n || d[i] != ':') return std::nullopt;
    ++i;
    if (readNumber(2, r.minute) != 2) return std::nullopt;
    if (i + 1 < n && d[i] == ':' && IsDigit(d[i + 1])) {
        ++i;
        if (readNumber(2, r.second) != 2) return std::nullopt;
    }
    if (i < n && IsDigit(d[i])) return std::nullopt;
    if (!IsValidCivilDate(r.year, r.month, r.day) || r.hour > 23 || r.minute > 59 || r.second > 60)
        return std::nullopt;
    r.end = i;
    return r;
}

}  // namespace

DateTimeValue MakeDateTime(int year, int month, int day, int hour, int minute, int second) {
    return ToUnixSeconds(CivilTime{year, month, day, hour, minute, second});
}

std::string FormatGeneralDate(DateTimeValue v) {
    const CivilTime c = FromUnixSeconds(v);
    if (c.year < 1 || c.year > 9999) throw Fault(faults::kOverflow);
    return GeneralDateText(c);
}

std::int32_t UtcOffsetSeconds(State& s, DateTimeValue utc) {
    return static_cast<std::int32_t>(s.timeZone->UtcOffsetAt(utc));
}

DateTimeValue UtcToLocal(State& s, DateTimeValue utc) { return utc + UtcOffsetSeconds(s, utc); }

std::optional<DateTimeValue> ParseRfc822Date(State& s, const std::string& text) {
    std::string d = TrimSpaces(text);
    if (FindNoCase(d, "GMT") != npos) ReplaceExactInPlace(d, "GMT", "+0000");
    auto f = ReadInternetDate(d);
    if (!f) return std::nullopt;
    DateTimeValue value = MakeDateTime(f->year, f->month, f->day, f->hour, f->minute, f->second);

    // Zone: the last word of the text. A date that ends with its time has
    // no zone and is read as UTC.
    std::string_view rest = std::string_view(d).substr(f->end);
    if (TrimSpaces(rest).empty()) return UtcToLocal(s, value);
    std::size_t p = d.rfind(' ');
    // A text of its own: the trimmed rest is a temporary.
    std::string token_s = (p == npos || p < f->end) ? TrimSpaces(rest) : d.substr(p + 1);
    if (token_s.empty()) return UtcToLocal(s, value);
    bool negative = token_s[0] == '-';
    std::string z;
    for (std::size_t k = 1; k < token_s.size(); ++k)
        if (token_s[k] != ':' && token_s[k] != ' ') z.push_back(token_s[k]);
    int hours = LeadingDigits(std::string_view(z).substr(0, 2));
    int minutes = LeadingDigits(std::string_view(d).substr(d.size() >= 2 ? d.size() - 2 : 0));
    int offset = RoundedZoneHours(hours, minutes);
    value += (negative ? 1 : -1) * static_cast<DateTimeValue>(offset) * 3600;
    return UtcToLocal(s, value);
}

DateTimeValue ParseIsoDate(State& s, const std::string& text) {
    std::string_view t = text;
    auto field = [&](std::size_t pos1, std::size_t len) {
        return StrictNumber(pos1 - 1 < t.size() ? t.substr(pos1 - 1, len) : std::string_view());
    };
    int year = field(1, 4), month = field(6, 2), day = field(9, 2);
    int hour = field(12, 2), minute = field(15, 2), second = field(18, 2);
    if (!IsValidCivilDate(year, month, day) || hour > 23 || minute > 59 || second > 60)
        throw Fault(faults::kOverflow);
    DateTimeValue value = MakeDateTime(year, month, day, hour, minute, second);

    std::string zone(t.size() > 19 ? t.substr(19) : std::string_view());
    // Fractions of a second are read and dropped.
    if (!zone.empty() && (zone[0] == '.' || zone[0] == ',')) {
        std::size_t k = 1;
        while (k < zone.size() && IsDigit(zone[k])) ++k;
        zone.erase(0, k);
    }
    ReplaceNoCaseInPlace(zone, "Z", "+00:00");
    zone = TrimSpaces(zone);
    if (zone.empty()) throw Fault(faults::kTypeMismatch);
    bool positive = zone[0] == '+';
    int offsetMinutes;
    auto digits = [&](std::size_t from, std::size_t len) {
        for (std::size_t k = from; k < from + len; ++k)
            if (k >= zone.size() || !IsDigit(zone[k])) return false;
        return true;
    };
    if (zone.size() == 6 && digits(1, 2) && zone[3] == ':' && digits(4, 2)) {
        // «+hh:mm»: the real offset, minutes included.
        offsetMinutes = StrictNumber(zone.substr(1, 2)) * 60 + StrictNumber(zone.substr(4, 2));
    } else if (zone.size() == 3 && digits(1, 2)) {
        offsetMinutes = StrictNumber(zone.substr(1, 2)) * 60;
    } else {
        if (zone.size() < 4) throw Fault(faults::kTypeMismatch);
        int minutes = StrictNumber(zone.substr(zone.size() - 2));
        int hours = LeadingDigits(std::string_view(zone).substr(zone.size() - 4, 2));
        offsetMinutes = RoundedZoneHours(hours, minutes) * 60;
    }
    value += (positive ? -1 : 1) * static_cast<DateTimeValue>(offsetMinutes) * 60;
    return UtcToLocal(s, value);
}

std::string MsgTime(State& s, const std::string& text) {
    std::string t = TrimSpaces(text);
    if (t.empty()) return {};
    try {
        if (t.size() >= 11 && t[10] == 'T') return FormatGeneralDate(ParseIsoDate(s, t));
        auto v = ParseRfc822Date(s, t);
        return v ? FormatGeneralDate(*v) : std::string();
    } catch (const Fault& f) {
        ShowFault(s, "MsgTime", f, MsgIcon::Critical);
        return {};
    }
}

}  // namespace pelicard

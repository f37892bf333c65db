#include "dbx/dates.hpp"

#include <cstdlib>

#include "common/fault.hpp"
#include "common/report.hpp"
#include "common/text.hpp"

namespace pelicard {

namespace {

std::string Mid(const std::string& t, std::size_t pos1, std::size_t n) {
    if (pos1 < 1 || pos1 > t.size()) return {};
    return t.substr(pos1 - 1, n);
}

CivilTime ParseOrFail(std::string_view t) {
    CivilTime c;
    if (!ParseDateText(t, c)) throw Fault(faults::kTypeMismatch);
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
    if (c.year < 100 || c.month < 1 || c.month > 12 || c.day < 1 || !IsValidCivilDate(c.year, c.month, c.day) ||
        c.hour > 23 || c.minute > 59 || c.second > 59)
        return false;
    out = c;
    return true;
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
        if (valid) c = FromUnixSeconds(utc + offset);
    }
    return DateTimeText(c, true);
}

std::string DateSort(State& s, const std::string& t) {
    try {
        if (t.size() >= 19) {
            // Every piece lies inside the text: one string, built in place.
            const char key[] = {t[6], t[7], t[8], t[9], t[3], t[4], t[0], t[1], ' ', t[11], t[12], t[14], t[15],
                                t[t.size() - 2], t[t.size() - 1]};
            return std::string(key, sizeof key);
        }
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
        const std::int64_t t = ToUnixSeconds(ParseOrFail(listDate.substr(0, 14) + mmss));
        const std::int64_t d = ToUnixSeconds(ParseOrFail(listDate));
        const std::int64_t same = std::llabs(t - d), later = std::llabs(t + 3600 - d), earlier = std::llabs(t - 3600 - d);
        std::int64_t result = t;
        if (later < same && later < earlier)
            result = t + 3600;
        else if (earlier < same && earlier < later)
            result = t - 3600;
        return GeneralDateText(FromUnixSeconds(result));
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

#include "export/envelope.hpp"

#include "common/civil_time.hpp"
#include "common/text.hpp"

namespace pelicard {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One line of the header: [start, end) without its line end; `next` the
// start of the following line.
struct Line {
    std::size_t start, end, next;
};

Line LineAt(std::string_view t, std::size_t from) {
    std::size_t e = from;
    while (e < t.size() && t[e] != '\r' && t[e] != '\n') ++e;
    std::size_t n = e;
    if (n < t.size() && t[n] == '\r') ++n;
    if (n < t.size() && t[n] == '\n' && (n == e || t[n - 1] == '\r')) ++n;
    return {from, e, n};
}

}  // namespace

std::optional<std::string> HeaderField(std::string_view t, std::string_view name) {
    std::size_t pos = 0;
    while (pos < t.size()) {
        Line l = LineAt(t, pos);
        if (l.end == l.start) return std::nullopt;  // the empty line ends the header
        std::string_view line = t.substr(l.start, l.end - l.start);
        if (line.size() > name.size() && line[name.size()] == ':' && EqualsNoCase(line.substr(0, name.size()), name)) {
            std::string value(line.substr(name.size() + 1));
            pos = l.next;
            while (pos < t.size() && IsBlank(t[pos])) {  // folded continuation
                Line c = LineAt(t, pos);
                value.append(" ").append(t.substr(c.start, c.end - c.start));
                pos = c.next;
            }
            return value;
        }
        pos = l.next;
    }
    return std::nullopt;
}

std::string EnvelopeAddress(std::string_view v) {
    // Drop comments and quoted strings, keep the rest.
    std::string plain;
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (quoted) {
            if (c == '\\') ++i;
            else if (c == '"') quoted = false;
            continue;
        }
        if (depth > 0) {
            if (c == '\\') ++i;
            else if (c == '(') ++depth;
            else if (c == ')') --depth;
            continue;
        }
        if (c == '"') quoted = true;
        else if (c == '(') depth = 1;
        else plain.push_back(c);
    }
    std::string_view p = plain, candidate;
    const std::size_t close = p.rfind('>');
    const std::size_t open = close == npos ? npos : p.rfind('<', close);
    if (open != npos) {
        candidate = p.substr(open + 1, close - open - 1);
    } else {
        std::string_view first;
        std::size_t i = 0;
        while (i < p.size()) {
            while (i < p.size() && (IsBlank(p[i]) || p[i] == ',' || p[i] == ';')) ++i;
            std::size_t s = i;
            while (i < p.size() && !IsBlank(p[i]) && p[i] != ',' && p[i] != ';') ++i;
            std::string_view word = p.substr(s, i - s);
            if (word.empty()) continue;
            if (first.empty()) first = word;
            if (word.find('@') != npos) {
                candidate = word;
                break;
            }
        }
        if (candidate.empty()) candidate = first;
    }
    std::string out;
    for (char c : candidate)
        if (c > ' ' && c < 0x7F) out.push_back(c);
    return out;
}

std::optional<std::int64_t> DateFieldUtc(std::string_view d) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    std::size_t i = 0;
    const std::size_t n = d.size();
    auto skip = [&] {
        while (i < n && (IsBlank(d[i]) || d[i] == '\r' || d[i] == '\n')) ++i;
    };
    auto number = [&](std::size_t maxDigits, int& out) {
        const std::size_t s = i;
        out = 0;
        while (i < n && IsDigit(d[i]) && i - s < maxDigits) out = out * 10 + (d[i++] - '0');
        return i - s;
    };
    skip();
    if (i < n && IsLetter(d[i])) {  // weekday, not checked
        while (i < n && IsLetter(d[i])) ++i;
        skip();
        if (i < n && d[i] == ',') ++i;
        skip();
    }
    CivilTime t;
    if (number(2, t.day) == 0) return std::nullopt;
    skip();
    if (i < n && d[i] == '-') ++i;
    const std::size_t ms = i;
    while (i < n && IsLetter(d[i])) ++i;
    if (i - ms < 3) return std::nullopt;
    const std::string mon = FoldCase(d.substr(ms, 3));
    for (int k = 0; k < 12; ++k)
        if (mon == kMonths[k]) t.month = k + 1;
    if (t.month == 0) return std::nullopt;
    if (i < n && d[i] == '-') ++i;
    skip();
    const std::size_t yd = number(4, t.year);
    if (yd < 2) return std::nullopt;
    if (yd == 2) t.year += t.year < 50 ? 2000 : 1900;
    else if (yd == 3) t.year += 1900;
    skip();
    if (number(2, t.hour) == 0 || i >= n || d[i] != ':') return std::nullopt;
    ++i;
    if (number(2, t.minute) != 2) return std::nullopt;
    if (i < n && d[i] == ':') {
        ++i;
        if (number(2, t.second) != 2) return std::nullopt;
    }
    if (!IsValidCivilDate(t.year, t.month, t.day) || t.hour > 23 || t.minute > 59 || t.second > 60)
        return std::nullopt;
    std::int64_t utc = ToUnixSeconds(t);

    skip();
    std::int64_t offset = 0;  // minutes east of UTC
    if (i < n && (d[i] == '+' || d[i] == '-')) {
        const bool negative = d[i] == '-';
        ++i;
        int hh = 0, mm = 0;
        if (number(2, hh) == 2) {
            if (i < n && d[i] == ':') ++i;
            number(2, mm);
            if (hh <= 23 && mm <= 59) offset = (negative ? -1 : 1) * (hh * 60 + mm);
        }
    } else if (i < n && IsLetter(d[i])) {
        const std::size_t zs = i;
        while (i < n && IsLetter(d[i])) ++i;
        const std::string z = UpperCase(d.substr(zs, i - zs));
        static const struct { const char* name; int hours; } kZones[] = {
            {"EST", -5}, {"EDT", -4}, {"CST", -6}, {"CDT", -5}, {"MST", -7}, {"MDT", -6}, {"PST", -8}, {"PDT", -7}};
        for (const auto& zone : kZones)
            if (z == zone.name) offset = zone.hours * 60;
    }
    return utc - offset * 60;
}

}  // namespace pelicard

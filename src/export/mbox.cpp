#include "export/mbox.hpp"

#include <algorithm>

#include "common/civil_time.hpp"

namespace pelicard {
namespace {

constexpr std::int64_t kFirstSecond = -62135596800;  // 0001-01-01 00:00:00 UTC
constexpr std::int64_t kLastSecond = 253402300799;   // 9999-12-31 23:59:59 UTC

void Two(std::string& out, int v, char pad) {
    out.push_back(v < 10 ? pad : static_cast<char>('0' + v / 10));
    out.push_back(static_cast<char>('0' + v % 10));
}

// Does the line starting at p read ">*From "?
bool NeedsQuote(std::string_view t, std::size_t p) {
    while (p < t.size() && t[p] == '>') ++p;
    return t.compare(p, 5, "From ") == 0;
}

// Appends t with CR LF made LF; with `quote`, each line that needs it gets
// one more ">" and the text ends with LF.
void AppendLines(std::string& out, std::string_view t, bool quote) {
    std::size_t p = 0;
    while (p < t.size()) {
        if (quote && NeedsQuote(t, p)) out.push_back('>');
        std::size_t nl = t.find('\n', p);
        const std::size_t end = nl == std::string_view::npos ? t.size() : nl;
        std::size_t body = end;
        if (nl != std::string_view::npos && body > p && t[body - 1] == '\r') --body;
        out.append(t.substr(p, body - p));
        if (nl == std::string_view::npos) break;
        out.push_back('\n');
        p = nl + 1;
    }
    if (quote && (out.empty() || out.back() != '\n')) out.push_back('\n');
}

}  // namespace

std::string MboxFromLine(std::string_view address, std::int64_t utc) {
    static const char* const kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    utc = std::clamp(utc, kFirstSecond, kLastSecond);
    const CivilTime t = FromUnixSeconds(utc);
    std::int64_t days = utc / 86400 - (utc % 86400 < 0 ? 1 : 0);
    const int weekday = static_cast<int>(((days % 7) + 7) % 7);  // 1970-01-01 was a Thursday
    std::string out = "From ";
    if (address.empty()) out += "MAILER-DAEMON";
    else out += address;
    out.push_back(' ');
    out += kDays[weekday];
    out.push_back(' ');
    out += kMonths[t.month - 1];
    out.push_back(' ');
    Two(out, t.day, ' ');
    out.push_back(' ');
    Two(out, t.hour, '0');
    out.push_back(':');
    Two(out, t.minute, '0');
    out.push_back(':');
    Two(out, t.second, '0');
    out.push_back(' ');
    out += std::to_string(t.year);
    out.push_back('\n');
    return out;
}

void AppendLfText(std::string& out, std::string_view text) { AppendLines(out, text, false); }

void AppendMboxMessage(std::string& out, std::string_view text, std::string_view address, std::int64_t utc) {
    out += MboxFromLine(address, utc);
    AppendLines(out, text, true);
    out.push_back('\n');
}

}  // namespace pelicard

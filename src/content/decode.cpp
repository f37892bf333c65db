// Quoted-printable decoding and character repair: a fixed, ordered list of
// whole-text replacements. Later rows see what earlier rows wrote, so the
// rows run one after the other; a row that cannot occur in the text is
// skipped without a scan (see decode_rows.hpp), one that finds nothing costs
// no copy.
#include "content/decode.hpp"

#include <array>
#include <cstring>
#include <new>

#include "common/report.hpp"
#include "common/text.hpp"
#include "content/decode_rows.hpp"

namespace pelicard {
namespace {

using rows::MakeRow;
using rows::Row;

std::string Chr(int code) { return std::string(1, static_cast<char>(code)); }

// Appending (rather than const char* + string) keeps g++ 12 -O3 from a
// false -Wrestrict warning.
std::string Cat(std::string a, const std::string& b) {
    a += b;
    return a;
}

std::string Hex(int n) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[(n >> 4) & 15], digits[n & 15]};
}

// Escapes and references of letters and digits ignore letter case; runs of
// literal characters match exactly.
Row NoCase(std::string find, std::string with) { return MakeRow(std::move(find), std::move(with), false); }
Row Exact(std::string find, std::string with) { return MakeRow(std::move(find), std::move(with), true); }

struct DecodeRows {
    std::vector<Row> common, utf8, single;

    DecodeRows() {
        // Soft line breaks, then the fixed repairs.
        common.push_back(Exact("=\r\n", ""));
        common.push_back(Exact("\x8E", "\xE9"));
        common.push_back(NoCase("&gt;", ">"));
        common.push_back(NoCase("&quot;", "\""));
        common.push_back(NoCase("=C3=A9", "\xE9"));
        common.push_back(NoCase("=C3=83=C2=A9", "\xE9"));
        common.push_back(Exact("\xC3\x83\xC2\xA9", "\xE9"));
        common.push_back(NoCase("=B0", "\xB0"));
        common.push_back(NoCase("=0D", "\r\n"));

        // UTF-8 read as single bytes, escaped or not.
        utf8.push_back(NoCase("=EF=BB=BF", ""));
        utf8.push_back(NoCase("=E2=80=99", Chr(146)));
        utf8.push_back(NoCase("=E2=80=A2", Chr(149)));
        utf8.push_back(Exact("\xC5\x93", Chr(156)));
        utf8.push_back(Exact("\xE2\x82\xAC", Chr(128)));
        for (int n = 128; n <= 191; ++n) {
            utf8.push_back(NoCase(Cat("=C0=", Hex(n)), Chr(n - 128)));
            utf8.push_back(NoCase(Cat("=C3=", Hex(n)), Chr(n + 64)));
            utf8.push_back(Exact(Cat("\xC3", Chr(n)), Chr(n + 64)));
        }
        for (int n = 128; n <= 159; ++n) utf8.push_back(NoCase(Cat("=C1=", Hex(n)), Chr(n - 64)));
        for (int n = 128; n <= 176; ++n) utf8.push_back(NoCase(Cat("=C2=", Hex(n)), Chr(n)));
        utf8.push_back(NoCase("=20", " "));
        utf8.push_back(NoCase("=3D", "="));
        utf8.push_back(NoCase("=5B", "["));
        utf8.push_back(NoCase("=5D", "]"));
        utf8.push_back(NoCase("=E8", "\xE8"));
        utf8.push_back(NoCase("=E9", "\xE9"));
        for (int n = 192; n <= 255; ++n) utf8.push_back(NoCase(Cat(Cat("&#", std::to_string(n)), ";"), Chr(n)));

        // Single-byte text: every escape but digits, letters, 172, 173, 222.
        single.push_back(NoCase("=09", " "));
        single.push_back(NoCase("=0A", " "));
        auto range = [&](int from, int to) {
            for (int n = from; n <= to; ++n) single.push_back(NoCase(Cat("=", Hex(n)), Chr(n)));
        };
        range(32, 47);
        range(58, 64);
        range(91, 96);
        range(123, 171);
        range(174, 221);
        range(223, 255);
        single.push_back(NoCase("&#39;", "'"));
        single.push_back(NoCase("&#8217;", "'"));
        single.push_back(NoCase("&#128;", "Euro"));
        single.push_back(NoCase("&#8364;", "Euro"));
        single.push_back(NoCase("&euro;", "Euro"));
        single.push_back(Exact("\x80", "Euro"));
    }
};

const DecodeRows& Rows() {
    static const DecodeRows r;
    return r;
}

// Whether any row of either branch (or the line-end step) could match: every
// pattern begins with one of these characters.
bool HasTrigger(const std::string& t) {
    static const bool* table = [] {
        static bool b[256] = {};
        for (unsigned char c : std::string("=&\n\x8E\xC3\xC5\xE2\x80")) b[c] = true;
        return b;
    }();
    for (unsigned char c : t)
        if (table[c]) return true;
    return false;
}

void TrimSpacesInPlace(std::string& t) {
    std::size_t b = 0, e = t.size();
    while (b < e && t[b] == ' ') ++b;
    while (e > b && t[e - 1] == ' ') --e;
    if (b == 0 && e == t.size()) return;
    if (e < t.size()) t.resize(e);
    if (b) t.erase(0, b);
}

// The presence index with the leads of either branch declared, made once.
const rows::Presence& Leads(bool utf8) {
    static const std::array<rows::Presence, 2> leads = [] {
        const DecodeRows& r = Rows();
        std::array<rows::Presence, 2> p;
        for (int k = 0; k < 2; ++k) {
            p[k].Clear();
            p[k].AddLeads(r.common);
            p[k].AddLeads(k ? r.utf8 : r.single);
        }
        return p;
    }();
    return leads[utf8 ? 1 : 0];
}

}  // namespace

std::string Decode(State& s, std::string text) {
    try {
        if (text.empty()) return text;
        if (HasTrigger(text)) {
            const DecodeRows& r = Rows();
            rows::Presence p = Leads(s.texts.IsUtf8);
            p.Scan(text, 0, text.size());
            rows::ApplyRows(text, r.common, p);
            rows::ApplyRows(text, s.texts.IsUtf8 ? r.utf8 : r.single, p);
            // Every LF becomes CR LF, an existing CR LF included.
            rows::ReplaceAll(text, "\n", "\r\n", true);
        }
        TrimSpacesInPlace(text);
        return text;
    } catch (const Fault& f) {
        EndOnFault(s, "Decode", f);
    } catch (const std::bad_alloc&) {
        EndOnFault(s, "Decode", Fault(faults::kOutOfMemory));
    }
}

}  // namespace pelicard

#include "content/decode_rows.hpp"

#include <algorithm>
#include <cstring>

#include "common/text.hpp"

namespace pelicard::rows {
namespace {

struct Tables {
    std::array<unsigned char, 256> fold{};
    std::array<unsigned char, 256> upper{};
    Tables() {
        for (int c = 0; c < 256; ++c) {
            fold[c] = static_cast<unsigned char>(FoldCase(static_cast<char>(c)));
            upper[c] = static_cast<unsigned char>(UpperCase(static_cast<char>(c)));
        }
    }
};

const Tables& T() {
    static const Tables t;
    return t;
}

int HexDigit(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int HexPair(unsigned char a, unsigned char b) {
    int x = HexDigit(a), y = HexDigit(b);
    return (x < 0 || y < 0) ? -1 : x * 16 + y;
}

inline void SetBit(std::uint64_t* bits, unsigned v) { bits[v >> 6] |= std::uint64_t{1} << (v & 63); }
inline bool TestBit(const std::uint64_t* bits, unsigned v) { return (bits[v >> 6] >> (v & 63)) & 1; }

}  // namespace

const std::array<unsigned char, 256>& FoldTable() { return T().fold; }

std::size_t Find(std::string_view hay, std::string_view needle, std::size_t from, bool exact) {
    const std::size_t n = hay.size(), m = needle.size();
    if (from > n || m > n - from) return npos;
    if (m == 0) return from;
    const char* h = hay.data();
    const std::size_t last = n - m;  // last possible start
    const auto c0 = static_cast<unsigned char>(needle[0]);
    const auto& t = T();
    const bool firstHasCase = !exact && (t.fold[c0] != c0 || t.upper[c0] != c0);
    std::size_t i = from;
    while (i <= last) {
        if (!firstHasCase) {
            const void* p = std::memchr(h + i, c0, last - i + 1);
            if (!p) return npos;
            i = static_cast<std::size_t>(static_cast<const char*>(p) - h);
        } else {
            const unsigned char f0 = t.fold[c0];
            while (i <= last && t.fold[static_cast<unsigned char>(h[i])] != f0) ++i;
            if (i > last) return npos;
        }
        if (exact) {
            if (std::memcmp(h + i + 1, needle.data() + 1, m - 1) == 0) return i;
        } else {
            std::size_t k = 1;
            while (k < m && t.fold[static_cast<unsigned char>(h[i + k])] ==
                                t.fold[static_cast<unsigned char>(needle[k])])
                ++k;
            if (k == m) return i;
        }
        ++i;
    }
    return npos;
}

bool ReplaceAll(std::string& s, std::string_view find, std::string_view with, bool exact,
                std::vector<std::size_t>* sites) {
    if (find.empty()) return false;
    std::size_t pos = Find(s, find, 0, exact);
    if (pos == npos) return false;
    const std::size_t fl = find.size(), wl = with.size();
    if (wl <= fl) {
        // Shrinking or same size: compact in place; the write point never
        // passes the read point, so what is still to be searched is intact.
        char* d = s.data();
        std::size_t w = pos, r = pos;
        while (pos != npos) {
            if (pos > r) std::memmove(d + w, d + r, pos - r);
            w += pos - r;
            if (sites) sites->push_back(w);
            if (wl) std::memcpy(d + w, with.data(), wl);
            w += wl;
            r = pos + fl;
            pos = Find(s, find, r, exact);
        }
        if (r < s.size()) std::memmove(d + w, d + r, s.size() - r);
        w += s.size() - r;
        s.resize(w);
        return true;
    }
    std::string out;
    out.reserve(s.size() + (wl - fl) * 8 + 64);
    std::size_t r = 0;
    while (pos != npos) {
        out.append(s, r, pos - r);
        if (sites) sites->push_back(out.size());
        out.append(with);
        r = pos + fl;
        pos = Find(s, find, r, exact);
    }
    out.append(s, r, npos);
    s.swap(out);
    return true;
}

Row MakeRow(std::string find, std::string with, bool exact) {
    Row r;
    const auto& t = T();
    bool hasCase = false;
    for (unsigned char c : find) hasCase |= (t.fold[c] != c || t.upper[c] != c);
    r.exact = exact || !hasCase;
    if (!find.empty() && find.size() % 3 == 0) {
        std::vector<std::uint8_t> esc;
        for (std::size_t i = 0; i < find.size(); i += 3) {
            int v = find[i] == '=' ? HexPair(static_cast<unsigned char>(find[i + 1]),
                                             static_cast<unsigned char>(find[i + 2]))
                                   : -1;
            if (v < 0) {
                esc.clear();
                break;
            }
            esc.push_back(static_cast<std::uint8_t>(v));
        }
        r.escapes = std::move(esc);
    }
    r.find = std::move(find);
    r.with = std::move(with);
    return r;
}

void Presence::Clear() {
    pair_.fill(0);
    single_.fill(0);
    esc_.fill(0);
    escPair_.fill(0);
}

void Presence::Scan(std::string_view s, std::size_t from, std::size_t to) {
    const auto& f = T().fold;
    const std::size_t n = s.size();
    to = std::min(to, n);
    const auto* b = reinterpret_cast<const unsigned char*>(s.data());
    for (std::size_t i = from; i < to; ++i) {
        const unsigned c = f[b[i]];
        SetBit(single_.data(), c);
        if (i + 1 < n) SetBit(pair_.data(), (c << 8) | f[b[i + 1]]);
        if (b[i] == '=' && i + 2 < n) {
            const int v = HexPair(b[i + 1], b[i + 2]);
            if (v >= 0) {
                SetBit(esc_.data(), static_cast<unsigned>(v));
                if (i + 5 < n && b[i + 3] == '=') {
                    const int w = HexPair(b[i + 4], b[i + 5]);
                    if (w >= 0) SetBit(escPair_.data(), static_cast<unsigned>((v << 8) | w));
                }
            }
        }
    }
}

bool Presence::MayMatch(const Row& r) const {
    if (!r.escapes.empty()) {
        if (r.escapes.size() == 1) return TestBit(esc_.data(), r.escapes[0]);
        for (std::size_t i = 0; i + 1 < r.escapes.size(); ++i)
            if (!TestBit(escPair_.data(), (unsigned{r.escapes[i]} << 8) | r.escapes[i + 1])) return false;
        return true;
    }
    const auto& f = T().fold;
    const auto* b = reinterpret_cast<const unsigned char*>(r.find.data());
    if (r.find.size() == 1) return TestBit(single_.data(), f[b[0]]);
    for (std::size_t i = 0; i + 1 < r.find.size(); ++i)
        if (!TestBit(pair_.data(), (unsigned{f[b[i]]} << 8) | f[b[i + 1]])) return false;
    return true;
}

void ApplyRows(std::string& text, const std::vector<Row>& rows, Presence& p) {
    std::vector<std::size_t> sites;
    for (const Row& r : rows) {
        if (!p.MayMatch(r)) continue;
        sites.clear();
        if (!ReplaceAll(text, r.find, r.with, r.exact, &sites)) continue;
        // A new occurrence of any pattern must overlap a written replacement
        // (or the junction a deletion left): record what starts near each.
        const std::size_t wl = r.with.size();
        for (std::size_t a : sites) p.Scan(text, a >= 5 ? a - 5 : 0, a + wl + 1);
    }
}

}  // namespace pelicard::rows

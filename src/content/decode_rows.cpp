#include "content/decode_rows.hpp"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
    const auto& t = T();
    const auto first = static_cast<unsigned char>(needle[0]);
    const auto final = static_cast<unsigned char>(needle[m - 1]);
    // The two spellings of the first and of the last character.
    const unsigned char f0 = exact ? first : t.fold[first], f1 = exact ? first : t.upper[t.fold[first]];
    const unsigned char l0 = exact ? final : t.fold[final], l1 = exact ? final : t.upper[t.fold[final]];
    auto matchesAt = [&](std::size_t i) {
        if (exact) return std::memcmp(h + i, needle.data(), m) == 0;
        for (std::size_t k = 0; k < m; ++k)
            if (t.fold[static_cast<unsigned char>(h[i + k])] != t.fold[static_cast<unsigned char>(needle[k])])
                return false;
        return true;
    };
    std::size_t i = from;
    if (m == 1 && f0 == f1) {
        const void* p = std::memchr(h + i, f0, last - i + 1);
        return p ? static_cast<std::size_t>(static_cast<const char*>(p) - h) : npos;
    }
#ifdef __SSE2__
    // Sixteen starts at a time: only those whose first and last characters
    // both fit are compared in full.
    const __m128i F0 = _mm_set1_epi8(static_cast<char>(f0)), F1 = _mm_set1_epi8(static_cast<char>(f1));
    const __m128i L0 = _mm_set1_epi8(static_cast<char>(l0)), L1 = _mm_set1_epi8(static_cast<char>(l1));
    while (i + 15 <= last) {
        const __m128i bf = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
        const __m128i bl = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + m - 1));
        const __m128i ef = _mm_or_si128(_mm_cmpeq_epi8(bf, F0), _mm_cmpeq_epi8(bf, F1));
        const __m128i el = _mm_or_si128(_mm_cmpeq_epi8(bl, L0), _mm_cmpeq_epi8(bl, L1));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(ef, el)));
        while (mask) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (matchesAt(at)) return at;
            mask &= mask - 1;
        }
        i += 16;
    }
#endif
    for (; i <= last; ++i) {
        const auto a = static_cast<unsigned char>(h[i]), b = static_cast<unsigned char>(h[i + m - 1]);
        if ((a == f0 || a == f1) && (b == l0 || b == l1) && matchesAt(i)) return i;
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
    // Growing: count first so the result is allocated once at its size
    // (growing by doubling would hold up to three times the text at once).
    std::size_t count = 0;
    for (std::size_t q = pos; q != npos; q = Find(s, find, q + fl, exact)) ++count;
    std::string out;
    out.reserve(s.size() + (wl - fl) * count);
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

namespace {
inline std::uint32_t Mix(std::uint32_t h, unsigned c) { return (h ^ c) * 0x9E3779B1u; }
inline unsigned Slot(std::uint32_t h) { return h >> 16; }
}  // namespace

void Presence::Clear() {
    inPattern_.fill(false);
    inPattern_['='] = true;
    for (char c : std::string_view("0123456789ABCDEFabcdef")) inPattern_[static_cast<unsigned char>(c)] = true;
    prefixLen_.fill(0);
    prefixLen_['='] = 1;
    prefix_.fill(0);
    esc_.fill(0);
    escPair_.fill(0);
}

void Presence::AddLeads(const std::vector<Row>& rows) {
    const auto& t = T();
    for (const Row& r : rows) {
        if (r.find.empty()) continue;
        const auto c = static_cast<unsigned char>(r.find[0]);
        const auto len = static_cast<std::uint8_t>(std::min(r.find.size(), kPrefix));
        for (unsigned char v : {c, t.fold[c], t.upper[t.fold[c]]}) prefixLen_[v] = std::max(prefixLen_[v], len);
        for (char ch : r.find) {
            const auto u = static_cast<unsigned char>(ch);
            inPattern_[u] = inPattern_[t.fold[u]] = inPattern_[t.upper[t.fold[u]]] = true;
        }
    }
}

bool Presence::MayCreate(const Row& r) const {
    if (r.with.empty()) return true;  // what was on either side now meets
    for (char ch : r.with)
        if (inPattern_[static_cast<unsigned char>(ch)]) return true;
    return false;
}

void Presence::Scan(std::string_view s, std::size_t from, std::size_t to) {
    const auto& f = T().fold;
    const std::size_t n = s.size();
    to = std::min(to, n);
    const auto* b = reinterpret_cast<const unsigned char*>(s.data());
    for (std::size_t i = from; i < to; ++i) {
        const std::size_t len = prefixLen_[b[i]];
        if (!len) continue;
        std::uint32_t h = 0;
        const std::size_t end = std::min(n, i + len);
        for (std::size_t k = i; k < end; ++k) {
            h = Mix(h, f[b[k]]);
            SetBit(prefix_.data(), Slot(h));
        }
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
    if (r.find.empty()) return false;
    const auto& f = T().fold;
    const auto* b = reinterpret_cast<const unsigned char*>(r.find.data());
    const std::size_t len = std::min(r.find.size(), std::size_t{prefixLen_[b[0]]});
    if (len < std::min(r.find.size(), kPrefix)) return true;  // not recorded that far: search
    std::uint32_t h = 0;
    for (std::size_t k = 0; k < len; ++k) h = Mix(h, f[b[k]]);
    return TestBit(prefix_.data(), Slot(h));
}

void ApplyRows(std::string& text, const std::vector<Row>& rows, Presence& p) {
    std::vector<std::size_t> sites;
    for (const Row& r : rows) {
        if (!p.MayMatch(r)) continue;
        sites.clear();
        if (!ReplaceAll(text, r.find, r.with, r.exact, &sites) || !p.MayCreate(r)) continue;
        // A new occurrence of any pattern must overlap a written replacement
        // (or the junction a deletion left): record what starts near each.
        const std::size_t wl = r.with.size();
        constexpr std::size_t back = Presence::kPrefix - 1;  // ≥ 5, the span of an escape pair
        for (std::size_t a : sites) p.Scan(text, a >= back ? a - back : 0, a + wl + 1);
    }
}

}  // namespace pelicard::rows
